#pragma once

// The project's own addresses and names, kept in one place: the about window's buttons, the
// desktop entry and the MIME package all take them from here.
namespace quillet::projectinfo {

// The maker's home page, shown by the about window's home button and named in its hint.
inline constexpr char HomePage[] = "https://quillet.example.org/";
// The maker's guestbook page.
inline constexpr char GuestbookPage[] = "https://quillet.example.org/guestbook/";
// The maker's e-mail address, without "mailto:".
inline constexpr char EmailAddress[] = "quillet@example.org";
// The MIME type of an animation file (*.mmt).
inline constexpr char AnimationMimeType[] = "application/x-quillet-animation";
// The base name of the desktop entry and of the MIME package.
inline constexpr char DesktopId[] = "quillet";

} // namespace quillet::projectinfo
