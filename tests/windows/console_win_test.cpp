// tolvikc's output as the system takes it: text on a console, UTF-8 bytes in
// a file.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/reach/console_win.h"
#include "base/handle_win.h"
#include "base/utf.h"

namespace {

struct StandardHandles {
  HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  ~StandardHandles() {
    SetStdHandle(STD_INPUT_HANDLE, in);
    SetStdHandle(STD_OUTPUT_HANDLE, out);
    SetStdHandle(STD_ERROR_HANDLE, err);
  }
};

struct OwnConsole {
  ~OwnConsole() { FreeConsole(); }
};

const std::string kText = "b1\t월말 정산 · Ümlaut ☕ 𝄞\t2\n";

TEST(ConsoleText, AFileGetsTheUtf8Bytes) {
  wchar_t folder[MAX_PATH];
  ASSERT_GT(GetTempPathW(MAX_PATH, folder), 0u);
  const std::wstring path = std::wstring(folder) + L"tolvikc-output-test.txt";
  {
    base::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                        nullptr));
    ASSERT_TRUE(file);
    EXPECT_TRUE(app::write_console_text(file.get(), kText));
  }
  base::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(file);
  std::string read(256, '\0');
  DWORD got = 0;
  ASSERT_TRUE(ReadFile(file.get(), read.data(), static_cast<DWORD>(read.size()), &got, nullptr));
  read.resize(got);
  file.reset();
  DeleteFileW(path.c_str());
  EXPECT_EQ(read, kText);
}

TEST(ConsoleText, AConsoleShowsTheCharactersWhateverItsCodePage) {
  // A console of the test's own: the one it runs in, if any, may be a
  // redirection (under Wine, the Unix terminal or pipe). AllocConsole points
  // the standard handles at the new console; the test's report goes on
  // through the old ones afterwards.
  const StandardHandles saved;
  FreeConsole();
  if (!AllocConsole()) GTEST_SKIP() << "no console could be made here (error " << GetLastError() << ")";
  const OwnConsole console;
  base::UniqueHandle buffer(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(buffer) << GetLastError();
  DWORD mode = 0;
  ASSERT_TRUE(GetConsoleMode(buffer.get(), &mode)) << GetLastError();
  CONSOLE_SCREEN_BUFFER_INFO info{};
  ASSERT_TRUE(GetConsoleScreenBufferInfo(buffer.get(), &info)) << GetLastError();
  // A code page that has none of these characters: the text must not go through it.
  const UINT saved_page = GetConsoleOutputCP();
  SetConsoleOutputCP(437);
  EXPECT_TRUE(app::write_console_text(buffer.get(), "정산 Ümlaut ☕ plain"));
  SetConsoleOutputCP(saved_page);
  std::wstring shown(80, L'\0');
  DWORD read = 0;
  ASSERT_TRUE(ReadConsoleOutputCharacterW(buffer.get(), shown.data(), static_cast<DWORD>(shown.size()),
                                          info.dwCursorPosition, &read))
      << GetLastError();
  shown.resize(read);
  // Wide characters may take two cells, so each piece is looked for in turn.
  std::size_t at = 0;
  for (const wchar_t* piece : {L"정", L"산", L"Ümlaut", L"☕", L"plain"}) {
    const std::size_t found = shown.find(piece, at);
    ASSERT_NE(found, std::wstring::npos) << base::narrow(piece) << " in " << base::narrow(shown);
    at = found + 1;
  }
}

}  // namespace
