// Runs one command line with this program's standard handles and writes what it cost to the
// report file: the seconds it ran, its peak working set and its peak private memory, in bytes,
// as sampled every few milliseconds.
// It stands between the benchmark and the program measured, inside Wine.
//   measure REPORT "COMMAND LINE"
#include <stdio.h>
// clang-format off
#include <windows.h>
#include <psapi.h>  // after windows.h, whose types it uses
// clang-format on

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process;
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  if (!CreateProcessA(NULL, argv[2], NULL, NULL, TRUE, 0, NULL, NULL, &startup, &process)) {
    return 3;
  }
  // Wine forgets a process's memory figures when it ends: they are sampled while it runs.
  SIZE_T peakWorkingSet = 0, peakPrivate = 0;
  do {
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory)) {
      if (memory.PeakWorkingSetSize > peakWorkingSet) peakWorkingSet = memory.PeakWorkingSetSize;
      if (memory.PagefileUsage > peakPrivate) peakPrivate = memory.PagefileUsage;
      if (memory.PeakPagefileUsage > peakPrivate) peakPrivate = memory.PeakPagefileUsage;
    }
  } while (WaitForSingleObject(process.hProcess, 5) == WAIT_TIMEOUT);
  QueryPerformanceCounter(&end);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  FILE* report = fopen(argv[1], "w");
  if (report == NULL) return 4;
  fprintf(report, "%.3f %lu %lu %lu\n",
          (double)(end.QuadPart - start.QuadPart) / frequency.QuadPart,
          (unsigned long)peakWorkingSet, (unsigned long)peakPrivate, (unsigned long)code);
  fclose(report);
  return (int)code;
}
