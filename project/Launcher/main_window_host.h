#pragma once
// The program's side of the main window: opens the X display and installs it
// as the window back-end, gives the store the window layer's functions,
// makes the skinned main window (MainForm) with the tray icon, the
// application icon and the program record, and destroys it when the UI ends
// without it having closed.

class LauncherStore;
class MainForm;

class MainWindowHost {
 public:
  // Opens the display and creates, centres and shows the main window; false
  // when there is no display (the launcher then runs without windows) or the
  // window could not be made.
  static bool Create(LauncherStore& store);
  // Destroys the main window when it is still there, then ends the browser
  // engine.
  static void Shutdown();
  // Starts the browser engine when it is installed and puts the browser
  // control's tag into the control factory.
  static void StartBrowserEngine(LauncherStore& store);
  // Opens the X display and installs it as the window back-end (false
  // without a display); CloseDisplay uninstalls and closes it.
  static bool OpenDisplay();
  static void CloseDisplay();
  // The window layer's functions as the store's relay uses them.
  static void InstallWindowHooks(LauncherStore& store);
};
