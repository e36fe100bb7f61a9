#pragma once
// Every icon of the window as a path string (gfx/icon_path.h), drawn by
// Gfx::draw_icon.
//
// Each icon is a char array rather than a pointer to a literal: the drawing
// code caches geometries by the address of the characters, and an inline
// array is one object in the whole program, while equal literals may sit at a
// different address in every translation unit.

namespace gfx {

inline constexpr char icon_app[] = "R 2.5 3.5 15 13 1.5 M 2.5 7.5 L 17.5 7.5 D 5.2 5.5 D 7.6 5.5";
inline constexpr char icon_file[] =
    "M 6 2.5 L 11.5 2.5 L 15.5 6.5 L 15.5 16 A 1.5 14 17.5 L 6 17.5 A 1.5 4.5 16 L 4.5 4 A 1.5 6 2.5 Z "
    "M 11.5 2.5 L 11.5 6.5 L 15.5 6.5";
inline constexpr char icon_folder[] =
    "M 2.5 6 A 1.5 4 4.5 L 7 4.5 L 9 7 L 16 7 A 1.5 17.5 8.5 L 17.5 14.5 A 1.5 16 16 L 4 16 A 1.5 2.5 14.5 Z";
inline constexpr char icon_web[] = "C 10 10 7.5 M 2.5 10 L 17.5 10 M 10 2.5 A 10 10 17.5 M 10 2.5 a 10 10 17.5";
inline constexpr char icon_grip[] = "D 7.5 5 D 12.5 5 D 7.5 10 D 12.5 10 D 7.5 15 D 12.5 15";
inline constexpr char icon_close[] = "M 5.5 5.5 L 14.5 14.5 M 14.5 5.5 L 5.5 14.5";
inline constexpr char icon_warning[] = "M 10 3 L 17.5 16.5 L 2.5 16.5 Z M 10 8 L 10 11.5 D 10 14";
inline constexpr char icon_plus[] = "M 10 4 L 10 16 M 4 10 L 16 10";
inline constexpr char icon_search[] = "C 8.5 8.5 6 M 13 13 L 17.5 17.5";
inline constexpr char icon_open[] =
    "M 11.5 2.5 L 17.5 2.5 L 17.5 8.5 M 17.5 2.5 L 9.5 10.5 M 15 12 L 15 15.5 A 1.5 13.5 17 L 4.5 17 "
    "A 1.5 3 15.5 L 3 6.5 A 1.5 4.5 5 L 8 5";
// The Open button while its bundle opens: clicking it stops the opening.
inline constexpr char icon_stop[] = "M 5.5 5.5 L 14.5 5.5 L 14.5 14.5 L 5.5 14.5 Z";
inline constexpr char icon_more[] = "D 4.5 10 D 10 10 D 15.5 10";
inline constexpr char icon_menu[] = "M 3 5 L 17 5 M 3 10 L 17 10 M 3 15 L 17 15";

}  // namespace gfx
