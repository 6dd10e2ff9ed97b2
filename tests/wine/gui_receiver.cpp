// A stand-in for the GUI console: a real top-level window of class "TKeloConsoleMainWindow" that
// appends every message 9998 and 9999 it receives to a log, one "message wParam lParam" line each.
//   gui_receiver LOG READY    READY is written once the window exists
#include <windows.h>

#include <cstdio>

namespace {

FILE* Log = nullptr;

LRESULT CALLBACK Receive(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == 9998 || message == 9999) {
    std::fprintf(Log, "%u %lu %ld\n", message, static_cast<unsigned long>(wParam),
                 static_cast<long>(lParam));
    std::fflush(Log);
    return 0;
  }
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  Log = std::fopen(argv[1], "w");
  if (Log == nullptr) return 1;
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = Receive;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "TKeloConsoleMainWindow";
  if (RegisterClassA(&windowClass) == 0) return 1;
  HWND window = CreateWindowExA(0, windowClass.lpszClassName, "GUI console", WS_OVERLAPPEDWINDOW,
                                0, 0, 320, 200, nullptr, nullptr, windowClass.hInstance, nullptr);
  if (window == nullptr) return 1;
  if (FILE* ready = std::fopen(argv[2], "w")) std::fclose(ready);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return 0;
}
