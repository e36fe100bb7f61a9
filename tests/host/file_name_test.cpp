#include "base/file_name.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct FileNameCase {
  const char* what;
  std::string input;
  std::string expected;
};

std::string repeat(const std::string& piece, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

TEST(SafeFileName, Table) {
  const FileNameCase cases[] = {
      {"forbidden punctuation", "Q3: plan/review?", "Q3_ plan_review_"},
      {"forbidden characters at the ends are replaced, not trimmed", "*Q3: plan/review?*", "_Q3_ plan_review__"},
      {"every forbidden character", "a\\b*c\"d<e>f|g", "a_b_c_d_e_f_g"},
      {"controls and DEL", "a\tb\x01" "c\x7f" "d", "a_b_c_d"},
      {"C1 controls", "x\u0085y\u0080z\u009F", "x_y_z_"},
      {"no-break space inside is kept", "x\u00A0y", "x\u00A0y"},
      {"controls are replaced before trimming", "\tReport\n", "_Report_"},
      {"white space at both ends", "  Report \u3000", "Report"},
      {"trailing dot, blank and dot", "Report. .", "Report"},
      {"leading dot kept", ".hidden", ".hidden"},
      {"only blanks and dots", " . . ", "tolvik"},
      {"only dots", "...", "tolvik"},
      {"empty", "", "tolvik"},
      {"Korean", "보고서 정리", "보고서 정리"},
      {"invalid UTF-8", "a\xFF" "b", "a\uFFFD" "b"},
      {"device name", "CON", "CON_"},
      {"device name in another case", "nul", "nul_"},
      {"device name before an extension", "con.backup", "con_.backup"},
      {"device name with blanks before the dot", "AUX .x", "AUX_ .x"},
      {"numbered device", "LPT1", "LPT1_"},
      {"superscript device", "COM\u00B9", "COM\u00B9_"},
      {"not a device: longer word", "CONSOLE", "CONSOLE"},
      {"not a device: COM0", "COM0", "COM0"},
      {"not a device: COM10", "COM10", "COM10"},
      {"100 letters", repeat("a", 100), repeat("a", 80)},
      {"80 letters", repeat("a", 80), repeat("a", 80)},
      {"counted in characters, not bytes", repeat("가", 100), repeat("가", 80)},
      {"four-byte characters", repeat("\U0001F600", 90), repeat("\U0001F600", 80)},
      {"cut after trimming", "   " + repeat("b", 85), repeat("b", 80)},
  };
  for (const FileNameCase& c : cases) {
    EXPECT_EQ(base::safe_file_name(c.input), c.expected) << c.what;
  }
}

}  // namespace
