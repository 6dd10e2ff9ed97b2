/* The yardstick of cpconv's benchmark: a plain filter over GNU libiconv, compiled in. Standard
   input goes to standard output in 64 KiB pieces through one descriptor, with the target's
   suffix "//IGNORE//TRANSLIT" that cpconv asks for; an unfinished sequence at the end of a piece
   waits for the next one.
     libiconv_filter FROM TO */
#include <iconv.h>
#include <string.h>
#include <windows.h>

enum { kPiece = 64 * 1024 };

static int WriteAll(HANDLE output, const char* bytes, DWORD size) {
  while (size > 0) {
    DWORD written = 0;
    if (!WriteFile(output, bytes, size, &written, NULL) || written == 0) return 0;
    bytes += written;
    size -= written;
  }
  return 1;
}

int main(int argc, char** argv) {
  static char input[kPiece + 64], output[4 * kPiece + 256];
  char target[128];
  if (argc != 3 || strlen(argv[2]) > 100) return 2;
  strcpy(target, argv[2]);
  strcat(target, "//IGNORE//TRANSLIT");
  iconv_t descriptor = iconv_open(target, argv[1]);
  if (descriptor == (iconv_t)-1) return 2;
  HANDLE in = GetStdHandle(STD_INPUT_HANDLE), out = GetStdHandle(STD_OUTPUT_HANDLE);
  size_t held = 0;
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(in, input + held, kPiece, &read, NULL) || read == 0) break;
    const char* from = input;
    size_t fromLeft = held + read;
    char* to = output;
    size_t toLeft = sizeof output;
    iconv(descriptor, &from, &fromLeft, &to, &toLeft);
    if (!WriteAll(out, output, (DWORD)(to - output))) return 1;
    memmove(input, from, fromLeft);
    held = fromLeft < 64 ? fromLeft : 0;
  }
  char* to = output;
  size_t toLeft = sizeof output;
  iconv(descriptor, NULL, NULL, &to, &toLeft);
  if (!WriteAll(out, output, (DWORD)(to - output))) return 1;
  iconv_close(descriptor);
  return 0;
}
