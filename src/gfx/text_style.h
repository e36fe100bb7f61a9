#pragma once
// The type sizes of the window, in DIPs. The Direct2D text formats, the native
// text fields' fonts and the layout of those fields all take them from here,
// so that an edited name sits exactly where its drawn text was.

namespace gfx {

// The face of every text but the symbols (a UTF-16 name: it only ever goes
// to DirectWrite and to a LOGFONTW).
inline constexpr wchar_t kTextFamily[] = L"Segoe UI";
inline constexpr wchar_t kSymbolFamily[] = L"Segoe MDL2 Assets";

inline constexpr float kCaptionTextSize = 11.5f;  // captions, counts, hints
inline constexpr float kBodyTextSize = 13.0f;     // body, names, buttons; the native fields
inline constexpr float kTitleTextSize = 20.0f;    // titles; the bundle-name field
inline constexpr float kSymbolTextSize = 16.0f;

}  // namespace gfx
