// The optional iconv library: "iconv.dll" beside the program, loaded on first use and kept until
// the module shuts down. Without it, or without a usable entry point, the built-in engine works.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace sanivo {

// A conversion descriptor of the library; kNoIconv when there is none.
using TIconvDescriptor = std::intptr_t;
inline constexpr TIconvDescriptor kNoIconv = -1;

inline constexpr char kIconvLibraryName[] = "iconv.dll";

// Module start-up creates the lock that guards loading; shut-down unloads the library and
// destroys the lock. Outside that time no library is loaded and every side is built in.
void InitializeIconvBinding();
void FinalizeIconvBinding();

// For a program that runs elevated, called before the modules start: from then on the library
// is never loaded (it would come from the program's folder, which the user's other programs can
// write) and every conversion is built in.
void NeverLoadIconvLibrary();

// True when the library is loaded, after loading it if needed. A failed load is not remembered.
bool IconvLoad();
// Always true.
bool IconvUnload();
// True when the library is loaded; never tries to load it.
bool IconvIsLoaded();

TIconvDescriptor IconvOpen(const std::string& toName, const std::string& fromName);
TIconvDescriptor IconvOpenIgnore(const std::string& toName, const std::string& fromName);
TIconvDescriptor IconvOpenTranslit(const std::string& toName, const std::string& fromName);

struct TIconvResult {
  std::string output;
  std::size_t consumed = 0;  // input bytes the library took
};
// The whole input through the library's conversion entry; the descriptor keeps its state.
TIconvResult IconvConvert(TIconvDescriptor descriptor, std::string_view input);
// The same into the start of `buffer`, which keeps its size from call to call (grown when the
// library needs more room): `produced` is how much of it this call wrote. Gives the count of
// input bytes the library took.
std::size_t IconvConvertInto(TIconvDescriptor descriptor, std::string_view input,
                             std::string& buffer, std::size_t& produced);
// Returns a stateful encoder to its initial state: the bytes that end the text (the shift back
// of ISO-2022-JP, the SI of ISO-2022-KR). Empty for a descriptor of kNoIconv.
std::string IconvFlush(TIconvDescriptor descriptor);
// Closes the descriptor and sets it to kNoIconv.
int IconvClose(TIconvDescriptor& descriptor);

}  // namespace sanivo
