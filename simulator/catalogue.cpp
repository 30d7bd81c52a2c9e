// The catalogue of processing items: what a unit can be, and the names of
// its data items.
#include <cstddef>
#include <string>
#include <string_view>

#include "macro_sc/host.h"
#include "model.h"
#include "model_objects.h"

namespace msc::sim {

const ItemKind* Controller::FindKind(const std::wstring& ident) const {
  for (const ItemKind& k : items)
    if (k.ident == ident) return &k;
  return nullptr;
}

bool Controller::ItemName(const Unit& unit, const wchar_t* name, std::wstring& out) const {
  if (name == nullptr || *name == L'\0') return false;
  const ItemKind* kind = FindKind(unit.kind);
  if (kind != nullptr && !kind->data.empty()) {
    bool listed = false;
    for (const std::wstring& d : kind->data) listed = listed || d == name;
    if (!listed) return false;
  }
  out = name;
  return true;
}

bool Controller::ItemName(const Unit& unit, int32_t number, std::wstring& out) const {
  if (number < 0) return false;
  const ItemKind* kind = FindKind(unit.kind);
  if (kind != nullptr && !kind->data.empty()) {
    if (static_cast<size_t>(number) >= kind->data.size()) return false;
    out = kind->data[static_cast<size_t>(number)];
  } else {
    out = L"#" + std::to_wstring(number);
  }
  return true;
}

bool Controller::MakeUnit(const std::wstring& ident, Unit& out) const {
  const ItemKind* kind = FindKind(ident);
  if (kind == nullptr) return false;
  out = Unit{};
  out.kind = kind->ident;
  out.title = kind->title;
  AnyType zero;
  zero.SetData(int32_t{0});
  for (const std::wstring& name : kind->data) out.data[name] = zero;
  out.initial = out.data;
  return true;
}

namespace {

struct KindEntry {
  const wchar_t* ident;
  const wchar_t* title;
  std::wstring_view data;  // the data items' names, by number, apart by spaces
};

// The catalogue a fresh controller knows; a scenario may replace it. Every
// kind but the unit macro judges in its item "JG".
constexpr KindEntry kDefaultKinds[] = {
    {L"CameraImageInput", L"Camera Image Input", L"JG"},              // takes the image
    {L"Search", L"Search", L"JG CR X Y TH"},                          // correlation, place, angle
    {L"EdgePosition", L"Edge Position", L"JG X Y"},                   // one edge's place
    {L"EdgeWidth", L"Edge Width", L"JG W X1 X2"},                     // width between two edges
    {L"Area", L"Area", L"JG AR X Y"},                                 // area and centre
    {L"Labeling", L"Labeling", L"JG N AR X Y"},                       // count of labels
    {L"Calculation", L"Calculation", L"JG D0 D1 D2 D3 D4 D5 D6 D7"},  // eight results
    {L"Macro", L"Unit Macro", L""},                                   // any name is an item
};

ItemKind Kind(const KindEntry& entry) {
  ItemKind kind{entry.ident, entry.title, {}, {}};
  std::wstring_view rest = entry.data;
  while (!rest.empty()) {
    const size_t space = rest.find(L' ');
    kind.data.emplace_back(rest.substr(0, space));
    rest = space == std::wstring_view::npos ? std::wstring_view() : rest.substr(space + 1);
  }
  return kind;
}

}  // namespace

Controller DefaultController() {
  Controller c;
  for (const KindEntry& entry : kDefaultKinds) c.items.push_back(Kind(entry));
  c.channels[L"SIM"].loopback = true;
  return c;
}

}  // namespace msc::sim

namespace msc::sim::model {

namespace {

const ItemKind* Item(int32_t item) {
  const auto& items = TheController().items;
  return item >= 0 && static_cast<size_t>(item) < items.size() ? &items[static_cast<size_t>(item)]
                                                               : nullptr;
}

}  // namespace

int32_t SimCore::GetItemCount() {
  Lock guard(ControllerMutex());
  return static_cast<int32_t>(TheController().items.size());
}

int32_t SimCore::GetItemInfo(int32_t item, int32_t kind) {
  Lock guard(ControllerMutex());
  const ItemKind* k = Item(item);
  return k != nullptr ? k->Info(kind) : 0;
}

int32_t SimCore::GetItemTitle(int32_t item, wchar_t* buffer) {
  Lock guard(ControllerMutex());
  const ItemKind* k = Item(item);
  return k != nullptr ? TextResult(k->title, buffer) : kFailed;
}

int32_t SimCore::GetItemIdent(int32_t item, wchar_t* buffer) {
  Lock guard(ControllerMutex());
  const ItemKind* k = Item(item);
  return k != nullptr ? TextResult(k->ident, buffer) : kFailed;
}

}  // namespace msc::sim::model
