#pragma once

// The program's resources (theme, pictures) live in the app library, a static library
// whose resource object the linker would otherwise leave out. Safe to call often.
void initAppResources();

// The name of the program's desktop entry (the .desktop file, without its extension): its
// AppStream id, which the desktop uses to find the program's name, its icon and its
// notification settings.
inline constexpr char kDesktopEntryName[] = "org.palvoric.Palvoric";
