// The one save policy of both front ends.
#include "app/protocol_saver.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>

namespace ternavo {
namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ProtocolSaver : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("ternavo-saver-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(dir_);
  }
  // Entries of the folder, hidden ones included.
  std::size_t Entries() const {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
  }
  void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  fs::path dir_;
};

TEST_F(ProtocolSaver, RefusesWhatMustNotBeReplacedAndLeavesItAsItWas) {
  const fs::path input = dir_ / "souradnice.txt";
  Write(input, "3\n");
  fs::create_hard_link(input, dir_ / "jiny_nazev.txt");
  const fs::path locked = dir_ / "chraneny.txt";
  Write(locked, "old\r\n");
  fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read);
  fs::create_directory(dir_ / "slozka");
  const struct {
    fs::path target;
    const char* reason;
  } cases[] = {
      {locked, "soubor je chráněn proti zápisu"},  // no write bit: refused even for root
      {input, "je to soubor souřadnic, ze kterého se počítá"},
      {dir_ / "jiny_nazev.txt", "je to soubor souřadnic, ze kterého se počítá"},
      {dir_ / "slozka", "je to složka"},
      {dir_ / "chybi" / "p.txt", "soubor nebo složka neexistuje"},
  };
  for (const auto& c : cases) {
    const std::size_t before = Entries();
    const std::string old = fs::is_regular_file(c.target) ? ReadBytes(c.target) : "";
    std::string error;
    EXPECT_FALSE(SaveProtocolText(c.target.string(), "nový\n", error, {input.string()}));
    EXPECT_EQ(error, "Soubor \"" + c.target.string() + "\" nelze uložit: " + c.reason);
    if (fs::is_regular_file(c.target)) {
      EXPECT_EQ(ReadBytes(c.target), old) << c.target;
    }
    EXPECT_EQ(Entries(), before) << "a temporary file was left for " << c.target;
  }
}

TEST_F(ProtocolSaver, WritesThroughLinksIntoPipesAndUnderLongNames) {
  std::string error;
  // A symbolic link stays a link; the file it names gets the text.
  const fs::path real = dir_ / "skutecny.txt";
  Write(real, "old");
  fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink("skutecny.txt", dir_ / "odkaz.txt");
  ASSERT_TRUE(SaveProtocolText((dir_ / "odkaz.txt").string(), "ž\n", error)) << error;
  EXPECT_TRUE(fs::is_symlink(dir_ / "odkaz.txt"));
  EXPECT_EQ(ReadBytes(real), "\x9E\r\n");
  EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);  // kept

  // A FIFO is written in place, not replaced by a file.
  const fs::path fifo = dir_ / "roura";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] { received = ReadBytes(fifo); });
  // The reader may not have opened its end yet: retry until it has.
  bool saved = false;
  for (int attempt = 0; attempt < 200 && !saved; ++attempt) {
    saved = SaveProtocolText(fifo.string(), "a\nb", error);
    if (!saved) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  reader.join();
  EXPECT_TRUE(saved) << error;
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_EQ(received, "a\r\nb");

  // A name of 255 bytes leaves no room for a longer temporary name.
  const fs::path longName = dir_ / std::string(255, 'p');
  ASSERT_TRUE(SaveProtocolText(longName.string(), "x\n", error)) << error;
  EXPECT_EQ(ReadBytes(longName), "x\r\n");
}

// The program's own standard output, redirected with ">>" to a file that
// already holds lines: under any name it is written in place, after what was
// there, and not replaced.
TEST_F(ProtocolSaver, StandardOutputIsWrittenInPlace) {
  const fs::path log = dir_ / "log.txt";
  Write(log, "earlier\n");
  const int redirected = ::open(log.c_str(), O_WRONLY | O_APPEND);
  ASSERT_GE(redirected, 0);
  std::fflush(stdout);
  const int saved = ::dup(STDOUT_FILENO);
  ASSERT_EQ(::dup2(redirected, STDOUT_FILENO), STDOUT_FILENO);
  ::close(redirected);
  std::string error;
  bool written = true;
  for (const std::string& name :
       {std::string("/dev/stdout"), std::string("/proc/self/fd/1"), log.string()}) {
    written = SaveProtocolText(name, name + "\n", error) && written;
  }
  ::dup2(saved, STDOUT_FILENO);
  ::close(saved);
  EXPECT_TRUE(written) << error;
  EXPECT_EQ(ReadBytes(log), "earlier\n/dev/stdout\r\n/proc/self/fd/1\r\n" + log.string() + "\r\n");
  EXPECT_EQ(Entries(), 1u);
}

TEST_F(ProtocolSaver, TwoNamesOfOneTarget) {
  Write(dir_ / "a.txt", "a");
  fs::create_hard_link(dir_ / "a.txt", dir_ / "hard.txt");
  fs::create_symlink("b.txt", dir_ / "dangling.txt");  // b.txt does not exist yet
  fs::create_directory(dir_ / "sub");
  const auto at = [this](const char* name) { return (dir_ / name).string(); };
  const struct {
    std::string a, b;
    bool same;
  } cases[] = {{at("a.txt"), at("a.txt"), true},        {at("a.txt"), at("hard.txt"), true},
               {at("b.txt"), at("dangling.txt"), true}, {at("a.txt"), at("sub/../a.txt"), true},
               {at("a.txt"), at("b.txt"), false},       {at("a.txt"), at("sub/a.txt"), false}};
  for (const auto& c : cases) EXPECT_EQ(SameSaveTarget(c.a, c.b), c.same) << c.a << " " << c.b;
}

TEST_F(ProtocolSaver, NoTemporaryFileOutlivesAFatalSignal) {
  const fs::path target = dir_ / "p.txt";
  Write(target, "old");
  for (int signalNumber : {SIGTERM, SIGINT, SIGPIPE}) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      std::signal(signalNumber, SIG_DFL);
      RemoveTemporaryFileOnSignals();
      ProtocolFileWriter file;
      TextLines lines;
      lines.AppendLine("rozepsaný protokol");
      if (!file.Open(target.string()) || !file.Append(lines)) ::_exit(3);
      std::raise(signalNumber);
      ::_exit(4);  // not reached
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signalNumber) << signalNumber;
    EXPECT_EQ(Entries(), 1u) << "signal " << signalNumber;
    EXPECT_EQ(ReadBytes(target), "old");
  }
}

}  // namespace
}  // namespace ternavo
