#pragma once

// Creates the main window with the application's parts, makes it the application's main window
// and runs it modally.
void RunMainWindow();
