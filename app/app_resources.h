#pragma once

// The program's resources (theme, pictures) live in the app library, a static library
// whose resource object the linker would otherwise leave out. Safe to call often.
void initAppResources();
