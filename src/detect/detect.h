#pragma once
// Turning what the user hands the window (dropped or pasted paths, free text,
// a typed web address) into items.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "bundle/model.h"

namespace detect {

// Dropped or pasted text longer than this (in UTF-8 bytes) is refused whole:
// no one means a megabyte of paths or addresses, and a cut would split a line.
inline constexpr std::size_t kMaxInputTextBytes = 1024 * 1024;

// What a drop or a paste delivers.
struct DropPayload {
  std::vector<std::string> paths;  // file-system paths from the shell's file list
  std::string text;                // free text, possibly several lines
  bool text_too_large = false;     // the text was longer than kMaxInputTextBytes and was not read
};

// One item per recognised line, in line order; other lines are dropped.
std::vector<bundle::Item> detect_items(std::string_view text);

// Classifies one path meant as a path: Internet shortcuts become web
// addresses, folders (existing, with a trailing separator, drive roots)
// folders, the app extensions apps (a program of a packaged app by its
// AppUserModelID, "shell:AppsFolder\<id>", itself an app), everything else files.
bundle::Item item_from_path(std::string_view path);

// "%41" → "A" for every % followed by two hex digits; the bytes are then read
// as UTF-8 with U+FFFD for invalid sequences.
std::string percent_decode(std::string_view text);

// exe, lnk, bat, cmd, com, msc, appref-ms (lower-case, without the dot).
bool is_app_extension(std::string_view extension);

// The wider list of file types that run code when the shell opens them
// (programs, scripts, installers, shortcuts, registry files…), any ASCII case,
// without the dot. An item from someone else's bundle file that opens one of
// them is asked about first.
bool is_program_extension(std::string_view extension);

}  // namespace detect
