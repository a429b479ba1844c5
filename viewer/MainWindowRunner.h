#pragma once

// Creates the main window, makes it the application's main window and runs it modally.
void RunMainWindow();
