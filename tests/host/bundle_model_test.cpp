#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "base/clock.h"
#include "bundle/model.h"

namespace {

using bundle::Item;
using bundle::Kind;

TEST(BundleKind, NamesInNumericOrder) {
  const char* names[] = {"app", "file", "folder", "url"};
  for (int i = 0; i < 4; ++i) {
    const Kind kind = static_cast<Kind>(i);
    EXPECT_EQ(bundle::kind_name(kind), names[i]);
    EXPECT_EQ(bundle::kind_from_name(names[i]), kind);
  }
  for (const char* bad : {"", "App", "URL", "exe", "folder ", "dir"}) {
    EXPECT_FALSE(bundle::kind_from_name(bad).has_value()) << bad;
  }
}

struct LabelCase {
  Kind kind;
  const char* target;
  const char* name;
  const char* label;
};

TEST(BundleLabel, Table) {
  const LabelCase cases[] = {
      {Kind::app, "C:\\Tools\\notepad.exe", "", "notepad"},
      {Kind::folder, "D:\\Work\\", "", "Work"},
      {Kind::folder, "D:\\Work\\\\//", "", "Work"},
      {Kind::folder, "C:\\", "", "C:\\"},
      {Kind::folder, "C:", "", "C:"},
      {Kind::file, "C:/Users/me/report.final.docx", "", "report.final.docx"},
      {Kind::file, "notes.txt", "", "notes.txt"},
      {Kind::app, "C:\\Users\\me\\.profile", "", ".profile"},
      {Kind::app, "C:\\bin\\archive.tar.gz", "", "archive.tar"},
      {Kind::app, "C:\\bin\\make", "", "make"},
      {Kind::app, "C:\\bin\\odd.", "", "odd"},
      {Kind::file, "C:\\Users\\me\\.profile", "", ".profile"},
      {Kind::folder, "\\\\server\\share\\", "", "share"},
      {Kind::folder, "\\\\", "", "\\\\"},
      {Kind::file, "", "", ""},
      {Kind::folder, "D:\\사진\\여행", "", "여행"},
      {Kind::url, "https://user@host.example/path", "", "host.example"},
      {Kind::url, "https://host.example", "", "host.example"},
      {Kind::url, "https://a@b@host.example:8080/x?y#z", "", "host.example:8080"},
      {Kind::url, "http://host.example?q=1", "", "host.example"},
      {Kind::url, "http://host.example#top", "", "host.example"},
      {Kind::url, "mailto:a@b.c", "", "b.c"},
      {Kind::url, "mailto:a@b.c?subject=hi", "", "b.c"},
      {Kind::url, "MAILTO:a@b.c", "", "b.c"},  // no "mailto:" match; the @ rule still applies
      {Kind::url, "Mailto:someone", "", "Mailto:someone"},
      {Kind::url, "https:///path", "", "https:///path"},
      {Kind::url, "https://user@/x", "", "https://user@/x"},
      {Kind::url, "news:comp.lang", "", "news:comp.lang"},
      {Kind::app, "C:\\Tools\\notepad.exe", "  word  ", "word"},
      {Kind::url, "https://host.example", "\t Docs \n", "Docs"},
      {Kind::url, "https://host.example", "\xE3\x80\x80", "host.example"},  // ideographic space only
      {Kind::folder, "D:\\Work", " ", "Work"},
  };
  for (const LabelCase& c : cases) {
    const Item item{c.kind, c.target, "", c.name};
    EXPECT_EQ(bundle::item_label(item), c.label)
        << "kind " << bundle::kind_name(c.kind) << " target \"" << c.target << "\" name \"" << c.name << "\"";
  }
}

TEST(BundleItemKey, DropsTrailingBackslashesAndLowerCases) {
  EXPECT_EQ(bundle::item_key("C:\\Tools\\Notepad.EXE"), "c:\\tools\\notepad.exe");
  EXPECT_EQ(bundle::item_key("D:\\Work\\\\\\"), "d:\\work");
  EXPECT_EQ(bundle::item_key("D:\\Work/"), "d:\\work/");  // only backslashes are dropped
  EXPECT_EQ(bundle::item_key("\\\\"), "");
  EXPECT_EQ(bundle::item_key("C:\\ÄÖ\\ΣΑΣ"), "c:\\äö\\σας");  // final sigma by full rules
  EXPECT_EQ(bundle::item_key("\xC4\xB0"), "i\xCC\x87");       // U+0130 becomes two code points
  EXPECT_EQ(bundle::item_key("HTTPS://Example.COM/A"), "https://example.com/a");
}

TEST(BundleDuplicateKey, DropsTrailingBackslashesAndLowerCasesAsciiOnly) {
  EXPECT_EQ(bundle::duplicate_key("C:\\Tools\\Notepad.EXE"), "c:\\tools\\notepad.exe");
  EXPECT_EQ(bundle::duplicate_key("D:\\Work\\\\\\"), "d:\\work");
  EXPECT_EQ(bundle::duplicate_key("D:\\Work/"), "d:\\work/");  // only backslashes are dropped
  EXPECT_EQ(bundle::duplicate_key("C:\\ÄÖ\\ΣΑΣ"), "c:\\ÄÖ\\ΣΑΣ");  // unlike the item key
}

struct IdParts {
  std::uint64_t micros;
  std::uint32_t counter;
};

// Splits an id of this process: "b" + micros + 4 counter digits + pid suffix.
IdParts split_id(const std::string& id) {
  const std::string pid_hex = [] {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%x", static_cast<unsigned>(::getpid()) & 0xFFFu);
    return std::string(buffer);
  }();
  EXPECT_TRUE(id.size() > 1 + 4 + pid_hex.size() && id[0] == 'b') << id;
  EXPECT_EQ(id.find_first_not_of("0123456789abcdef", 1), std::string::npos) << id;
  EXPECT_TRUE(id.ends_with(pid_hex)) << id;
  const std::string body = id.substr(1, id.size() - 1 - pid_hex.size());
  return {std::stoull(body.substr(0, body.size() - 4), nullptr, 16),
          static_cast<std::uint32_t>(std::stoul(body.substr(body.size() - 4), nullptr, 16))};
}

TEST(BundleId, TimeCounterAndProcess) {
  const std::uint64_t before = base::unix_micros();
  const std::string first = bundle::new_bundle_id();
  const std::string second = bundle::new_bundle_id();
  const std::uint64_t after = base::unix_micros();

  const IdParts a = split_id(first);
  const IdParts b = split_id(second);
  EXPECT_GE(a.micros, before);
  EXPECT_LE(b.micros, after);
  EXPECT_LE(a.micros, b.micros);
  EXPECT_EQ(b.counter, (a.counter + 1) & 0xFFFFu);
  EXPECT_NE(first, second);
}

TEST(BundleId, UniqueAcrossThreads) {
  constexpr int kThreads = 4;
  constexpr int kPerThread = 8000;  // fewer than the counter's 65536 values in all
  std::vector<std::vector<std::string>> made(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&made, t] {
      made[t].reserve(kPerThread);
      for (int i = 0; i < kPerThread; ++i) made[t].push_back(bundle::new_bundle_id());
    });
  }
  for (std::thread& thread : threads) thread.join();

  std::set<std::string> all;
  std::set<std::uint32_t> counters;
  for (const auto& ids : made) {
    for (const std::string& id : ids) {
      all.insert(id);
      counters.insert(split_id(id).counter);
    }
  }
  EXPECT_EQ(all.size(), static_cast<std::size_t>(kThreads * kPerThread));
  // Every id took its own counter value, even from the same microsecond.
  EXPECT_EQ(counters.size(), static_cast<std::size_t>(kThreads * kPerThread));
}

TEST(BundleClock, FileTimeConversion) {
  EXPECT_EQ(base::file_time_to_unix_seconds(0), 0u);
  EXPECT_EQ(base::file_time_to_unix_micros(base::kFileTimeUnixEpoch - 1), 0u);
  EXPECT_EQ(base::file_time_to_unix_seconds(base::kFileTimeUnixEpoch + 10000000ULL * 86400), 86400u);
  EXPECT_EQ(base::file_time_to_unix_micros(base::kFileTimeUnixEpoch + 1234567), 123456u);
  // The host clock agrees with the system's seconds.
  const std::uint64_t seconds = base::unix_seconds();
  const std::uint64_t micros = base::unix_micros();
  EXPECT_GT(seconds, 1600000000u);
  EXPECT_LE(seconds, micros / 1000000);
  EXPECT_LE(micros / 1000000 - seconds, 5u);
}

}  // namespace
