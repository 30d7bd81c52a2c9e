// The tool speaks UTF-8: a program's texts print as typed unless the
// configuration names another code page. The engine keeps its own default
// (the controller's language decides); only this tool changes it, through
// the controller's system data, which the engine asks after the file.
#include <iterator>

#include "macro_sc/host.h"
#include "platform/codepage.h"
#include "simulator.h"
#include "tool.h"

namespace msc::cli {

void DefaultToUtf8() noexcept {
  wchar_t setting[64] = {};
  (void)GetProfileData(L"QOR-Option.ini", L"Macro", L"codePage", L"", setting,
                       static_cast<int32_t>(std::size(setting)));
  if (setting[0] != L'\0') return;
  AnyType page;
  if (page.SetData(static_cast<int32_t>(platform::kCodePageUtf8)) != 0) return;
  // Adding fails when a scenario already set the page: that one stays.
  (void)sim::Core()->AddSystemData(L"Macro", L"codePage", &page);
}

}  // namespace msc::cli
