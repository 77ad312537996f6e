// Registered classes, live windows and the thread's message queue, shared by the stand-in's
// window, message and input code.
#pragma once

#include <deque>
#include <vector>
#include <string>

#include <windows.h>

struct SDL_Window;

namespace platform::win32 {

struct Window {
  HWND handle = nullptr;
  WNDPROC procedure = nullptr;
  std::string className;
  std::string title;
  DWORD style = 0;
  DWORD exStyle = 0;
  int x = 0, y = 0, width = 0, height = 0;  // outer rectangle, frame and caption included
  HWND parent = nullptr;
  int controlId = 0;         // child windows: the id a dialog finds them by
  bool clientSized = false;  // width and height are the client size (dialogs)
  bool visible = false;
  bool minimized = false;
  SDL_Window* native = nullptr;  // live host, top-level windows only
};

// The window class dialogs are made of; its native windows are drawn without OpenGL.
constexpr const char* kDialogClassName = "#32770";

// Null for null, unknown and destroyed handles.
Window* FindWindowRecord(HWND window);

// Child windows of a window, in creation order.
std::vector<HWND> ChildWindows(HWND parent);

// Gives a native window the program's icon (its first icon group), when it has one.
void SetProgramIcon(SDL_Window* native);

struct MessageQueue {
  std::deque<MSG> posted;
  bool quitPosted = false;
  int quitCode = 0;
};
MessageQueue& Queue();

// Drops what was posted to a window that no longer exists.
void ForgetMessagesFor(HWND window);

// Moves pending host input (SDL events in the live host) into the queue.
void CollectHostInput();

// Keeps the key state that ShiftHeld reports in step with the messages retrieved.
void NoteRetrievedMessage(const MSG& message);

// Blocks until the host has input; false when it never will (offline host).
bool WaitForHostInput();

}  // namespace platform::win32
