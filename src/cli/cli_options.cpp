#include "cli/cli_options.h"

#include <charconv>
#include <cmath>

#include "adjustment/point_name.h"
#include "app/protocol_saver.h"

namespace ternavo {

namespace {

const char* const kOneOnStdout =
    "na standardní výstup smí jít jen jeden z -o, --json, --export-proj, --export-matrix";

bool ParseType(const std::string& text, TTypTransformace& type) {
  struct Name {
    const char* name;
    TTypTransformace type;
  };
  static const Name kNames[] = {
      {"affine", kGeneralAffine}, {"0", kGeneralAffine},       {"similarity", kSimilarity},
      {"1", kSimilarity},         {"congruence", kCongruence}, {"2", kCongruence},
  };
  for (const Name& n : kNames) {
    if (text == n.name) {
      type = n.type;
      return true;
    }
  }
  return false;
}

// Names separated by commas; none of them empty or too long.
bool ParseExcludeList(const std::string& text, std::vector<std::string>& names) {
  std::size_t begin = 0;
  while (true) {
    const std::size_t comma = text.find(',', begin);
    std::string item =
        text.substr(begin, comma == std::string::npos ? std::string::npos : comma - begin);
    if (item.empty() || item.size() > kMaxPointNameLength) return false;
    names.push_back(std::move(item));
    if (comma == std::string::npos) return true;
    begin = comma + 1;
  }
}

// A decimal number with "." or "," as the separator, nothing else in the
// text; the same in every locale.
bool ParseDecimal(std::string text, Extended& value) {
  for (char& c : text) {
    if (c == ',') c = '.';
  }
  if (text.empty() || text[0] == '+') return false;
  const char* last = text.data() + text.size();
  auto [end, ec] = std::from_chars(text.data(), last, value);
  return ec == std::errc() && end == last && std::isfinite(value);
}

// The level of the outlier tests: a fraction (0.05) or a percentage (5%).
bool ParseAlpha(const std::string& text, Extended& alpha) {
  const bool percent = !text.empty() && text.back() == '%';
  if (!ParseDecimal(percent ? text.substr(0, text.size() - 1) : text, alpha)) return false;
  if (percent) alpha /= 100;
  return alpha > 0 && alpha < 1;
}

// Splits "--name=value"; value stays empty without '='.
void SplitLongOption(const std::string& arg, std::string& name, std::string& value,
                     bool& hasValue) {
  const std::size_t eq = arg.find('=');
  hasValue = eq != std::string::npos;
  name = hasValue ? arg.substr(0, eq) : arg;
  value = hasValue ? arg.substr(eq + 1) : std::string();
}

// Applying a saved key computes nothing: the options of a computation do
// not go with it, and --inverse needs it.
bool CheckApplyKeyOptions(const CliOptions& o, std::string& error) {
  if (o.applyKeyFile.empty()) {
    if (!o.inverse) return true;
    error = "přepínač --inverse patří k --apply-key";
    return false;
  }
  const std::pair<bool, const char*> computing[] = {
      {o.type != kGeneralAffine, "-t"},
      {!o.excluded.empty(), "-x"},
      {o.transform, "--transform"},
      {o.residuals, "--residuals"},
      {!o.jsonFile.empty(), "--json"},
      {!o.projFile.empty(), "--export-proj"},
      {!o.matrixFile.empty(), "--export-matrix"},
      {!o.keyOutFile.empty(), "--key-out"},
      {o.tests.Alpha != kDefaultTestAlpha, "--alpha"},
      {o.tests.HasSigma, "--sigma"},
      {!o.reportFile.empty(), "--report"},
  };
  for (const auto& [given, name] : computing) {
    if (!given) continue;
    error = std::string("přepínač ") + name + " nelze použít s --apply-key";
    return false;
  }
  return true;
}

// Two outputs into one file would leave only the later one.
bool CheckOutputsDistinct(const CliOptions& o, std::string& error) {
  const std::pair<const std::string*, const char*> outputs[] = {{&o.outputFile, "-o"},
                                                                {&o.jsonFile, "--json"},
                                                                {&o.projFile, "--export-proj"},
                                                                {&o.matrixFile, "--export-matrix"},
                                                                {&o.keyOutFile, "--key-out"}};
  constexpr std::size_t kCount = sizeof outputs / sizeof outputs[0];
  for (std::size_t i = 0; i < kCount; ++i) {
    const std::string& a = *outputs[i].first;
    if (a.empty() || a == "-") continue;
    for (std::size_t j = i + 1; j < kCount; ++j) {
      const std::string& b = *outputs[j].first;
      if (b.empty() || b == "-" || !SameSaveTarget(a, b)) continue;
      error = std::string("přepínače ") + outputs[i].second + " a " + outputs[j].second +
              " míří do téhož souboru \"" + b + "\"";
      return false;
    }
  }
  return true;
}

}  // namespace

bool ParseCliOptions(const std::vector<std::string>& args, CliOptions& options,
                     std::string& error) {
  std::vector<std::string> files;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
      files.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }

    std::string name;
    std::string value;
    bool hasValue = false;
    if (arg.rfind("--", 0) == 0) {
      SplitLongOption(arg, name, value, hasValue);
    } else {
      // -tVALUE is accepted as well as -t VALUE.
      name = arg.substr(0, 2);
      hasValue = arg.size() > 2;
      if (hasValue) value = arg.substr(2);
    }

    if (name == "-h" || name == "--help") {
      if (hasValue) {
        error = "přepínač " + name + " nemá hodnotu";
        return false;
      }
      options.help = true;
      return true;
    }
    if (name == "--version") {
      if (hasValue) {
        error = "přepínač --version nemá hodnotu";
        return false;
      }
      options.version = true;
      return true;
    }
    if (name == "--transform") {
      if (hasValue) {
        error = "přepínač --transform nemá hodnotu";
        return false;
      }
      options.transform = true;
      continue;
    }
    if (name == "--residuals" || name == "--inverse") {
      if (hasValue) {
        error = "přepínač " + name + " nemá hodnotu";
        return false;
      }
      (name == "--inverse" ? options.inverse : options.residuals) = true;
      continue;
    }

    std::string* machineFile = name == "--json"            ? &options.jsonFile
                               : name == "--export-proj"   ? &options.projFile
                               : name == "--export-matrix" ? &options.matrixFile
                               : name == "--key-out"       ? &options.keyOutFile
                               : name == "--apply-key"     ? &options.applyKeyFile
                               : name == "--report"        ? &options.reportFile
                                                           : nullptr;
    const bool takesValue = name == "-t" || name == "--type" || name == "-x" ||
                            name == "--exclude" || name == "-o" || name == "--output" ||
                            name == "--alpha" || name == "--sigma" || machineFile != nullptr;
    if (!takesValue) {
      error = "neznámý přepínač " + arg;
      return false;
    }
    if (!hasValue) {
      if (i + 1 >= args.size()) {
        error = "přepínač " + name + " potřebuje hodnotu";
        return false;
      }
      value = args[++i];
    }

    if (name == "-t" || name == "--type") {
      if (!ParseType(value, options.type)) {
        error = "neznámý typ transformace \"" + value + "\"";
        return false;
      }
    } else if (machineFile) {
      if (value.empty()) {
        error = "prázdný název souboru u přepínače " + name;
        return false;
      }
      if (name == "--report" && !kPdfReportBuilt) {
        error = "přepínač --report v tomto sestavení chybí (sestaveno bez Qt)";
        return false;
      }
      if (value == "-" && (name == "--key-out" || name == "--apply-key" || name == "--report")) {
        error = "přepínač " + name + " potřebuje název souboru, ne \"-\"";
        return false;
      }
      if (value == "-" && options.MachineOutputOnStdout()) {
        error = kOneOnStdout;
        return false;
      }
      *machineFile = value;
    } else if (name == "--alpha") {
      if (!ParseAlpha(value, options.tests.Alpha)) {
        error = "chybná hladina významnosti \"" + value + "\" (0 < alfa < 1, např. 0.05 nebo 5%)";
        return false;
      }
    } else if (name == "--sigma") {
      Extended sigma = 0;
      if (!ParseDecimal(value, sigma) || !(sigma > 0)) {
        error = "chybná směrodatná odchylka \"" + value + "\" (kladné číslo v metrech)";
        return false;
      }
      options.tests.HasSigma = true;
      options.tests.Sigma = sigma;
    } else if (name == "-x" || name == "--exclude") {
      if (!ParseExcludeList(value, options.excluded)) {
        error = "chybný seznam čísel bodů \"" + value + "\"";
        return false;
      }
    } else {
      if (value.empty()) {
        error = "prázdný název výstupního souboru";
        return false;
      }
      if (value == "-" && options.MachineOutputOnStdout()) {
        error = kOneOnStdout;
        return false;
      }
      options.hasOutput = true;
      options.outputFile = value;
    }
  }

  if (files.empty()) {
    error = "chybí soubor souřadnic";
    return false;
  }
  if (files.size() > 1) {
    error = "zadán více než jeden soubor souřadnic";
    return false;
  }
  options.coordinateFile = files[0];
  return CheckApplyKeyOptions(options, error) && CheckOutputsDistinct(options, error);
}

std::string CliUsageText() {
  return "Použití: ternavo-cli [-t TYP] [-x Č[,Č...]] [--transform] [--residuals] [-o SOUBOR]\n"
         "                    [--alpha A] [--sigma M] [--report SOUBOR]\n"
         "                    [--json SOUBOR] [--export-proj SOUBOR] [--export-matrix SOUBOR]\n"
         "                    [--key-out SOUBOR] SOUBOR_SOUŘADNIC\n"
         "         ternavo-cli --apply-key KLÍČ [--inverse] [-o SOUBOR] SOUBOR_SOUŘADNIC\n"
         "Usage:   ternavo-cli [-t TYPE] [-x N[,N...]] [--transform] [--residuals] [-o FILE]\n"
         "                    [--alpha A] [--sigma M] [--report FILE]\n"
         "                    [--json FILE] [--export-proj FILE] [--export-matrix FILE]\n"
         "                    [--key-out FILE] COORDINATE_FILE\n"
         "         ternavo-cli --apply-key KEY [--inverse] [-o FILE] COORDINATE_FILE\n"
         "\n"
         "Vypočte transformační klíč z identických bodů souboru souřadnic metodou MNČ.\n"
         "Computes the transformation key from the identical points of a coordinate file\n"
         "by least squares.\n"
         "\n"
         "  -t, --type TYP         affine | 0      obecná afinní / general affine (výchozí, "
         "default)\n"
         "                         similarity | 1  podobnostní / similarity\n"
         "                         congruence | 2  shodnostní / congruence\n"
         "  -x, --exclude Č[,Č...] před výpočtem vyřadí identické body s těmito čísly\n"
         "                         switch off the identical points with these numbers\n"
         "      --transform        po výpočtu klíče připojí transformované podrobné body\n"
         "                         append the transformed detail points after the key\n"
         "  -o, --output SOUBOR    uloží protokol (Windows-1250, CR LF); \"-\": jen ten na stdout\n"
         "                         save the protocol (Windows-1250, CR LF); \"-\": it alone on "
         "stdout\n"
         "      --residuals        připojí k protokolu opravy a přesnost parametrů\n"
         "                         append the residuals and parameter precision\n"
         "      --alpha A          hladina významnosti testu odlehlých bodů (0.05 nebo 5%,\n"
         "                         výchozí 5 %) / level of the outlier test (default 5 %)\n"
         "      --sigma M          apriorní směrodatná odchylka souřadnice v metrech: test m0\n"
         "                         a-priori sigma of one coordinate in metres: tests m0\n"
         "      --report SOUBOR    zpráva PDF: hlavička, protokol, opravy, přesnost, testy,\n"
         "                         obrázek oprav / a PDF report of the whole computation\n" +
         std::string(kPdfReportBuilt ? ""
                                     : "                         (v tomto sestavení chybí, "
                                       "sestaveno bez Qt / not in this build: no Qt)\n") +
         "      --json SOUBOR      celý výsledek jako JSON (UTF-8)\n"
         "                         the whole result as JSON (UTF-8)\n"
         "      --export-proj SOUBOR   klíč jako operace PROJ (+proj=affine ...)\n"
         "                         the key as a PROJ operation, for cct, ogr2ogr -ct, ...\n"
         "      --export-matrix SOUBOR klíč jako matice 4 x 4 po řádcích\n"
         "                         the key as a row-major 4 x 4 matrix\n"
         "                         SOUBOR \"-\": jen tento výstup na standardní výstup\n"
         "                         FILE \"-\": this form alone on standard output\n"
         "      --key-out SOUBOR   uloží klíč jako soubor klíče (JSON, přesné hodnoty)\n"
         "                         save the key as a key file (JSON, exact values)\n"
         "      --apply-key KLÍČ   nepočítá klíč: transformuje podrobné body souboru\n"
         "                         klíčem ze souboru klíče, výstup jako TRANSFORMOVAT\n"
         "                         compute nothing: transform the detail points with\n"
         "                         the saved key, output as TRANSFORMOVAT writes it\n"
         "      --inverse          s --apply-key zpětně, z cílové do výchozí soustavy\n"
         "                         with --apply-key: from the target system back\n"
         "      --version          verze programu / the program's version\n"
         "  -h, --help             tato nápověda / this help\n"
         "\n"
         "Standardní výstup: tabulka bodů, m0, podezřelý bod, prázdný řádek, protokol.\n"
         "Standard output: point table, m0, suspicious point, empty line, protocol.\n"
         "Desetinný oddělovač podle LC_ALL / LC_NUMERIC. Decimal separator from LC_ALL / "
         "LC_NUMERIC.\n"
         "\n"
         "Návratový kód / exit status:\n"
         "  0  klíč vypočten / key computed\n"
         "  1  výpočet odmítnut nebo neproveden / computation refused or not made\n"
         "  2  chybné použití / usage error\n"
         "  3  soubor souřadnic nebo klíče v nesprávném formátu / coordinate or key file in a\n"
         "     wrong format\n"
         "  4  protokol nebo standardní výstup nelze zapsat / protocol file or output not written\n"
         "  5  soubor souřadnic nebo klíče nelze otevřít / coordinate or key file cannot be "
         "opened\n";
}

std::string CliUsageHint() { return "Nápověda / help: ternavo-cli --help\n"; }

}  // namespace ternavo
