// AbsolutePath: a path resolved against the configuration directory, with
// "." and ".." segments folded away.
#include <cstdlib>
#include <cwchar>
#include <new>
#include <string>
#include <vector>

#include "macro_sc/host.h"

namespace {

std::wstring Normalise(const std::wstring& path) {
  const bool absolute = !path.empty() && path[0] == L'/';
  std::vector<std::wstring> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t slash = path.find(L'/', start);
    if (slash == std::wstring::npos) slash = path.size();
    const std::wstring part = path.substr(start, slash - start);
    if (part == L"..") {
      if (!parts.empty() && parts.back() != L"..") parts.pop_back();
      else if (!absolute) parts.push_back(part);  // above a relative start
    } else if (!part.empty() && part != L".") {
      parts.push_back(part);
    }
    start = slash + 1;
  }
  std::wstring result = absolute ? L"/" : L"";
  for (size_t i = 0; i < parts.size(); ++i) result += (i > 0 ? L"/" : L"") + parts[i];
  if (!parts.empty() && path.back() == L'/') result += L"/";
  return result.empty() ? L"." : result;
}

}  // namespace

AbsolutePath::AbsolutePath(const wchar_t* path) {
  if (path == nullptr) return;
  try {
    std::wstring full = path;
    if (full.empty() || full[0] != L'/') full = std::wstring(GetCoreRAPath()) + full;
    full = Normalise(full);
    path_ = static_cast<wchar_t*>(std::malloc((full.size() + 1) * sizeof(wchar_t)));
    if (path_ != nullptr) std::wmemcpy(path_, full.c_str(), full.size() + 1);
  } catch (const std::bad_alloc&) {
    path_ = nullptr;  // GetPath gives ""
  }
}

AbsolutePath::~AbsolutePath() { std::free(path_); }

const wchar_t* AbsolutePath::GetPath() const noexcept { return path_ != nullptr ? path_ : L""; }
