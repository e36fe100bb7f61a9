#include "bundle/atomic_write.h"
#include "temp_dir.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "base/file.h"
#include "bundle/store_file.h"

namespace {

using testing_support::read_all;
using testing_support::TempDir;

namespace fs = std::filesystem;



void write_plain(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

// Names in the folder that end in ".tmp".
std::vector<std::string> temp_files(const std::string& folder) {
  std::vector<std::string> found;
  std::error_code ignored;
  for (const auto& entry : fs::recursive_directory_iterator(folder, ignored)) {
    if (entry.path().extension() == ".tmp") found.push_back(entry.path().string());
  }
  return found;
}

std::string temp_name_for(const std::string& path) { return path + "." + std::to_string(::getpid()) + ".tmp"; }

TEST(AtomicWrite, CreatesFileAndMissingParents) {
  TempDir dir;
  const std::string path = dir.file("a/b/c/bundles.json");
  auto written = bundle::write_file_atomically(path, "{\"x\": 1}");
  ASSERT_TRUE(written) << written.error().text;
  EXPECT_EQ(read_all(path), "{\"x\": 1}");
  EXPECT_TRUE(temp_files(dir.path()).empty());
}

TEST(AtomicWrite, ReplacesAnExistingFile) {
  TempDir dir;
  const std::string path = dir.file("bundles.json");
  write_plain(path, std::string(100000, 'o'));
  for (const std::string& bytes : {std::string("new"), std::string(), std::string(300000, 'n')}) {
    auto written = bundle::write_file_atomically(path, bytes);
    ASSERT_TRUE(written) << written.error().text;
    EXPECT_EQ(read_all(path), bytes);
  }
  EXPECT_TRUE(temp_files(dir.path()).empty());
}

TEST(AtomicWrite, RelativePathStaysInItsFolder) {
  TempDir dir;
  const fs::path old_cwd = fs::current_path();
  fs::current_path(dir.path());
  auto written = bundle::write_file_atomically("plain.json", "data");
  fs::current_path(old_cwd);
  ASSERT_TRUE(written) << written.error().text;
  EXPECT_EQ(read_all(dir.file("plain.json")), "data");
}

TEST(AtomicWrite, FailsWhenAParentIsAFile) {
  TempDir dir;
  const std::string blocker = dir.file("store");
  write_plain(blocker, "old contents");
  for (const std::string& path : {blocker + "/bundles.json", blocker + "/deeper/still/bundles.json"}) {
    auto written = bundle::write_file_atomically(path, "new");
    ASSERT_FALSE(written) << path;
    EXPECT_FALSE(written.error().text.empty());
    EXPECT_EQ(read_all(blocker), "old contents");
  }
  EXPECT_TRUE(temp_files(dir.path()).empty());
}

TEST(AtomicWrite, FailsWhenTheTargetIsAFolder) {
  TempDir dir;
  const std::string empty_folder = dir.file("empty.json");
  const std::string full_folder = dir.file("full.json");
  fs::create_directory(empty_folder);
  fs::create_directory(full_folder);
  write_plain(full_folder + "/inside", "kept");

  for (const std::string& path : {empty_folder, full_folder}) {
    auto written = bundle::write_file_atomically(path, "new");
    ASSERT_FALSE(written) << path;
    EXPECT_EQ(written.error().text, std::strerror(EISDIR));
    EXPECT_TRUE(fs::is_directory(path));
  }
  EXPECT_EQ(read_all(full_folder + "/inside"), "kept");
  EXPECT_TRUE(temp_files(dir.path()).empty());
}

TEST(AtomicWrite, FailsWhenTheTemporaryFileCannotBeCreated) {
  TempDir dir;
  const std::string path = dir.file("bundles.json");
  write_plain(path, "old");
  // Something else already holds the temporary name (works for root too).
  fs::create_directory(temp_name_for(path));
  write_plain(temp_name_for(path) + "/x", "x");

  auto written = bundle::write_file_atomically(path, "new");
  ASSERT_FALSE(written);
  EXPECT_EQ(written.error().text, std::strerror(EISDIR));
  EXPECT_EQ(read_all(path), "old");
  EXPECT_EQ(read_all(temp_name_for(path) + "/x"), "x");

  if (::geteuid() != 0) {
    // A read-only folder (root ignores the permission bits, so only for others).
    const std::string locked = dir.file("locked");
    fs::create_directory(locked);
    write_plain(locked + "/bundles.json", "old");
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    auto denied = bundle::write_file_atomically(locked + "/bundles.json", "new");
    fs::permissions(locked, fs::perms::owner_all);
    ASSERT_FALSE(denied);
    EXPECT_EQ(denied.error().text, std::strerror(EACCES));
    EXPECT_EQ(read_all(locked + "/bundles.json"), "old");
  }
}

TEST(AtomicWrite, FailedWriteRemovesTheTemporaryFile) {
  TempDir dir;
  const std::string path = dir.file("bundles.json");
  write_plain(path, "old");
  // In a child, a file-size limit makes the write itself fail after the
  // temporary file exists.
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    auto written = bundle::write_file_atomically(path, std::string(100000, 'n'));
    if (written) ::_exit(10);
    if (written.error().text != std::strerror(EFBIG)) ::_exit(11);
    if (base::path_exists(path + "." + std::to_string(::getpid()) + ".tmp")) ::_exit(12);
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "10: write succeeded, 11: other error text, 12: temporary file left";
  EXPECT_EQ(read_all(path), "old");
  EXPECT_TRUE(temp_files(dir.path()).empty());
}

bundle::Store large_store(char flavour) {
  bundle::Store store{static_cast<std::uint32_t>(flavour), {}};
  for (int b = 0; b < 1500; ++b) {
    bundle::Bundle bundle{"b" + std::to_string(b) + flavour, std::string("묶음 ") + flavour + std::to_string(b), {}};
    for (int i = 0; i < 10; ++i) {
      bundle.items.push_back(
          bundle::Item{static_cast<bundle::Kind>(i % 4),
                       "C:\\Users\\someone\\" + std::string(1, flavour) + "\\file" + std::to_string(i),
                       i % 3 == 0 ? "--flag" : "", ""});
    }
    store.bundles.push_back(std::move(bundle));
  }
  return store;
}

TEST(AtomicWrite, KilledWriterLeavesOldOrNewFile) {
  TempDir dir;
  const std::string path = dir.file("bundles.json");
  const bundle::Store store_a = large_store('a');
  const bundle::Store store_b = large_store('b');
  const std::string text_a = bundle::serialize_store(store_a);
  const std::string text_b = bundle::serialize_store(store_b);
  ASSERT_NE(text_a, text_b);
  ASSERT_GT(text_a.size(), 500000u);
  ASSERT_TRUE(bundle::write_file_atomically(path, text_a));

  std::mt19937 rng(12345);
  int saw_a = 0;
  int saw_b = 0;
  for (int round = 0; round < 200; ++round) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::close(ready[0]);
      // Bounded, so a child whose parent went away still ends.
      for (long n = 0; n < 100000; ++n) {
        (void)bundle::write_file_atomically(path, n % 2 == 0 ? text_b : text_a);
        if (n == 0) {
          (void)!::write(ready[1], "r", 1);  // the loop is running
          ::close(ready[1]);
        }
      }
      ::_exit(0);
    }
    ::close(ready[1]);
    char signal_byte = 0;
    (void)!::read(ready[0], &signal_byte, 1);
    ::close(ready[0]);
    // Let it run for a random while, then kill it wherever it is.
    ::usleep(static_cast<useconds_t>(rng() % 20000));
    ASSERT_EQ(::kill(child, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));

    const std::string on_disk = read_all(path);
    const bool is_a = on_disk == text_a;
    const bool is_b = on_disk == text_b;
    ASSERT_TRUE(is_a || is_b) << "round " << round << ": " << on_disk.size() << " bytes, neither store";
    auto loaded = bundle::load_store(path);
    ASSERT_TRUE(loaded) << loaded.error().text;
    EXPECT_EQ(*loaded, is_a ? store_a : store_b);
    saw_a += is_a;
    saw_b += is_b;
    // The killed writer may leave its temporary sibling; it never replaces the store.
    std::error_code ignored;
    fs::remove(path + "." + std::to_string(child) + ".tmp", ignored);
  }
  RecordProperty("old_store_seen", saw_a);
  RecordProperty("new_store_seen", saw_b);
}

struct PathCase {
  const char* path;
  const char* parent;
  const char* name;
};

TEST(AtomicWritePaths, ParentAndFileName) {
  const PathCase cases[] = {
      {"/a/b/c.json", "/a/b", "c.json"},
      {"/a.json", "/", "a.json"},
      {"/", "", ""},
      {"a.json", "", "a.json"},
      {"a//b", "a", "b"},
      {"a/b/", "a/b", ""},
      {"", "", ""},
      {"dir\\x.json", "", "dir\\x.json"},
  };
  for (const PathCase& c : cases) {
    EXPECT_EQ(base::parent_path(c.path), c.parent) << c.path;
    EXPECT_EQ(base::file_name(c.path), c.name) << c.path;
  }
  EXPECT_EQ(base::join_path("/a", "b"), "/a/b");
  EXPECT_EQ(base::join_path("/a/", "b"), "/a/b");
  EXPECT_EQ(base::join_path("", "b"), "b");
  EXPECT_TRUE(base::is_separator('/'));
  EXPECT_FALSE(base::is_separator('\\'));
}

TEST(AtomicWritePaths, FoldersThroughLinks) {
  TempDir dir;
  fs::create_directory(dir.file("real"));
  write_plain(dir.file("file"), "x");
  fs::create_directory_symlink(dir.file("real"), dir.file("link"));
  fs::create_symlink(dir.file("file"), dir.file("file-link"));
  fs::create_symlink(dir.file("gone"), dir.file("dangling"));

  EXPECT_TRUE(base::is_directory(dir.file("real")));
  EXPECT_TRUE(base::is_directory(dir.file("link")));
  EXPECT_FALSE(base::is_directory(dir.file("file")));
  EXPECT_FALSE(base::is_directory(dir.file("file-link")));
  EXPECT_FALSE(base::is_directory(dir.file("dangling")));
  EXPECT_FALSE(base::is_directory(dir.file("missing")));

  EXPECT_TRUE(base::path_exists(dir.file("real")));
  EXPECT_TRUE(base::path_exists(dir.file("file")));
  EXPECT_TRUE(base::path_exists(dir.file("link")));
  EXPECT_FALSE(base::path_exists(dir.file("missing")));

  // A store written through a linked folder lands in the real one.
  ASSERT_TRUE(bundle::write_file_atomically(dir.file("link/sub/bundles.json"), "via link"));
  EXPECT_EQ(read_all(dir.file("real/sub/bundles.json")), "via link");
}

TEST(AtomicWritePaths, ReadFileClassifiesFailures) {
  TempDir dir;
  write_plain(dir.file("file"), std::string("a\0b", 3));
  auto bytes = base::read_file(dir.file("file"), 1024);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(*bytes, std::string("a\0b", 3));

  auto missing = base::read_file(dir.file("missing"), 1024);
  ASSERT_FALSE(missing);
  EXPECT_TRUE(missing.error().not_found);
  EXPECT_EQ(missing.error().text, std::strerror(ENOENT));

  auto through_file = base::read_file(dir.file("file/x"), 1024);
  ASSERT_FALSE(through_file);
  EXPECT_TRUE(through_file.error().not_found);

  auto folder = base::read_file(dir.path(), 1024);
  ASSERT_FALSE(folder);
  EXPECT_FALSE(folder.error().not_found);

  write_plain(dir.file("latin1"), "caf\xE9");
  auto text = base::read_text_file(dir.file("latin1"), 1024);
  ASSERT_FALSE(text);
  EXPECT_FALSE(text.error().not_found);
  EXPECT_EQ(text.error().text, std::strerror(EILSEQ));
}

TEST(AtomicWritePaths, ReadFileRefusesMoreThanItsLimit) {
  TempDir dir;
  write_plain(dir.file("ten"), "0123456789");
  auto exact = base::read_file(dir.file("ten"), 10);
  ASSERT_TRUE(exact);
  EXPECT_EQ(*exact, "0123456789");

  auto over = base::read_file(dir.file("ten"), 9);
  ASSERT_FALSE(over);
  EXPECT_TRUE(over.error().too_large);
  EXPECT_FALSE(over.error().not_found);
  EXPECT_EQ(over.error().text, std::strerror(EFBIG));
  EXPECT_TRUE(base::read_text_file(dir.file("ten"), 9).error().too_large);

  // A file without a size that never ends is cut off one byte past the limit.
  auto endless = base::read_file("/dev/zero", 4096);
  ASSERT_FALSE(endless);
  EXPECT_TRUE(endless.error().too_large);
}

TEST(AtomicWritePaths, CreateDirectories) {
  TempDir dir;
  ASSERT_TRUE(base::create_directories(dir.file("x/y/z")));
  EXPECT_TRUE(base::is_directory(dir.file("x/y/z")));
  EXPECT_TRUE(base::create_directories(dir.file("x/y/z")));  // already there
  EXPECT_TRUE(base::create_directories(dir.file("x/y/")));
  write_plain(dir.file("f"), "x");
  EXPECT_FALSE(base::create_directories(dir.file("f")));
  EXPECT_FALSE(base::create_directories(dir.file("f/g/h")));
}

}  // namespace
