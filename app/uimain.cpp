// The application's main function: brings everything up in order, runs the message loop, and lets a run
// that is still going end cleanly once the window is gone.
#include "host/app_main.h"

#include <windows.h>

#include <cstdlib>

#include "app/command_line.h"
#include "app/frame_page.h"
#include "app/key_wait.h"
#include "app/logger.h"
#include "app/native_methods.h"
#include "engine/decryptor.h"
#include "engine/library_loading.h"
#include "engine/process_modes.h"
#include "host/app_archive.h"
#include "host/app_arguments.h"
#include "host/debug_output.h"
#include "host/engine_binding.h"
#include "host/frame.h"
#include "host/message_loop.h"

namespace {

sciter::debug_output_console* argument_console = nullptr;

void print_on_argument_console(const char* text) { argument_console->print(text); }

[[noreturn]] void report_argument_error(const frame& window, bool help_requested) {
  // Asked before the console opens: how the program's standard input was given (key_wait.h).
  ConsoleInput& input = systemConsoleInput();
  // The console object stays installed as the engine's sink until the process ends.
  argument_console = new sciter::debug_output_console();
  if (help_requested)
    argument_console->put_formatted("Check %%temp%%\\%s!\n", kLogFileName);
  else
    argument_console->put_formatted("Error parsing arguments! Check %%temp%%\\%s!\n", kLogFileName);
  // A log that could not be written is told here, where the user is sent to it.
  setLogConsole([](const char* line) {
    print_on_argument_console(line);
    print_on_argument_console("\n");
  });
  if (HWND hwnd = window.handle()) ShowWindow(hwnd, SW_HIDE);
  // The prompt of the command interpreter's pause, without starting one (key_wait.h).
  waitForOneKey(input, print_on_argument_console);
  std::exit(2);
}

}  // namespace

// Before any path is touched: no critical-error box that nobody may be there to answer, and placeholders
// shown as they are (engine/process_modes.h). The program runs elevated: neither library, nor a DLL that
// either imports, may come from the folder it was started from. The decryption library itself is still
// chosen there, by its full path.
void prepare_process() {
  setFileSystemModes();
  keepWorkingDirectoryOutOfDllSearch();
}

int uimain(std::function<int()> run_loop) {
  using namespace sciter::abi;
  sciter::api().SciterSetOption(nullptr, SCITER_SET_SCRIPT_RUNTIME_FEATURES,
                                ALLOW_FILE_IO | ALLOW_SOCKET_IO | ALLOW_EVAL | ALLOW_SYSINFO);
  app_archive::open(app_archive::embedded_bytes());

  auto window = frame::create_main();
  window->load_file(L"this://app/html/main.html");
  window->show(SW_SHOWNORMAL);

  Logger& logger = Logger::instance();
  Decryptor& decryptor = Decryptor::instance();
  decryptor.log = &writeLog;
  // Both live until the process ends, as the window's methods and the run may use them until then.
  FramePage& page = main_page(window);
  window->connect(new NativeMethods(decryptor));
  decryptor.window = &page;
  logger.window = window;

  if (!decryptor.loadLibrary() || !decryptor.publishToolInfo()) std::exit(1);

  const std::vector<std::wstring>& arguments = app_arguments();
  if (arguments.size() > 1 && !parseCommandLine(decryptor, arguments))
    report_argument_error(*window.get(), arguments[1] == L"-help");

  const int result = run_loop();
  // The window is gone. A run still going finishes the file in hand and the library before the process
  // ends, and shows nothing more. The UI thread keeps serving its queue meanwhile, in case a page call that
  // was under way when the window closed needs it to return.
  window->mark_closed();
  decryptor.windowClosed(serve_pending_messages);
  window = {};
  run_loop = nullptr;
  return result;
}
