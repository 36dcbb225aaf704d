#pragma once

// The process entry: starts the toolkit, applies the theme, creates the main window,
// shows it and runs the event loop until it closes. Returns the process exit code.
int runApplication(int argc, char **argv);
