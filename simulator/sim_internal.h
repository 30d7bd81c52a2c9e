// Shared pieces of the simulated controller.
#pragma once

#include <string>

class HostInterface;
class CoreServices;

namespace msc::sim {

// UTF-8 and wide text (wchar_t is UTF-32); malformed input becomes U+FFFD.
std::string ToUtf8(const std::wstring& w);
std::wstring FromUtf8(const std::string& s);

// A file name as a file-system path: names without a directory part are
// taken from the configuration directory.
std::string ResolveConfigFile(const wchar_t* name);

// Copies text into a buffer of capacity characters, cut to capacity - 1;
// returns the characters stored.
int CopyToBuffer(const std::wstring& text, wchar_t* buffer, int capacity);

// The controller model itself, without the front (faults and trace) before it.
HostInterface* ModelHost();
CoreServices* ModelCore();

}  // namespace msc::sim
