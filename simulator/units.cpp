// The units of the current scene: making, placing, copying and moving
// them, their data items by name or number, their titles and figures.
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "macro_sc/host.h"
#include "model.h"
#include "model_objects.h"

namespace msc::sim {

Unit* Controller::FindUnit(int32_t unit) {
  auto& units = CurrentScene().units;
  return unit >= 0 && static_cast<size_t>(unit) < units.size() ? &units[static_cast<size_t>(unit)]
                                                               : nullptr;
}

}  // namespace msc::sim

namespace msc::sim::model {

namespace {

int32_t CopyUnitPart(int32_t scene, int32_t from, int32_t number, int32_t to, int32_t toNumber,
                     std::map<int32_t, Bytes> Unit::*part) {
  Lock guard(ControllerMutex());
  Controller& c = TheController();
  if (!SceneInRange(c, scene)) return kFailed;
  auto& units = c.groups[c.group].scenes[scene].units;
  Unit* target = c.FindUnit(to);
  if (from < 0 || static_cast<size_t>(from) >= units.size() || target == nullptr) return kFailed;
  const auto& source = units[static_cast<size_t>(from)].*part;
  const auto it = source.find(number);
  if (it == source.end()) return kFailed;
  Bytes copy = it->second;
  (target->*part)[toNumber] = std::move(copy);
  return 0;
}

template <class Item, class Fn>
int32_t WithItem(int32_t unit, Item item, Fn&& fn) {
  Lock guard(ControllerMutex());
  Controller& c = TheController();
  Unit* u = c.FindUnit(unit);
  std::wstring name;
  if (u == nullptr || !c.ItemName(*u, item, name)) return kFailed;
  return fn(*u, name);
}

// A unit's data item, named or numbered, stored or fetched.
template <class Item>
int32_t StoreItem(int32_t unit, Item item, const AnyType* value) {
  return WithItem(unit, item, [&](Unit& u, const std::wstring& name) {
    return Store(u.data, name.c_str(), value);
  });
}
template <class Item>
int32_t FetchItem(int32_t unit, Item item, AnyType* value) {
  return WithItem(unit, item, [&](Unit& u, const std::wstring& name) {
    return Fetch(u.data, name.c_str(), value);
  });
}

// Puts a unit at number: inserted before it, or replacing it; number may
// be the count, which adds at the end.
int32_t Place(std::vector<Unit>& units, int32_t number, Unit&& unit, bool insert) {
  if (number < 0 || static_cast<size_t>(number) > units.size()) return kFailed;
  if (insert || static_cast<size_t>(number) == units.size())
    units.insert(units.begin() + number, std::move(unit));
  else
    units[static_cast<size_t>(number)] = std::move(unit);
  return 0;
}

// A new unit of a kind at number of the current scene, as Place puts it.
int32_t PlaceNew(int32_t number, const wchar_t* kind, bool insert) {
  Lock guard(ControllerMutex());
  Controller& c = TheController();
  Unit fresh;
  if (kind == nullptr || !c.MakeUnit(kind, fresh)) return kFailed;
  return Place(c.CurrentScene().units, number, std::move(fresh), insert);
}

int32_t CopyInto(const std::vector<Unit>& source, int32_t from, int32_t to, int32_t mode) {
  if (from < 0 || static_cast<size_t>(from) >= source.size()) return kFailed;
  Unit copy = source[static_cast<size_t>(from)];
  return Place(TheController().CurrentScene().units, to, std::move(copy), mode != 0);
}

}  // namespace

// (source scene, source unit, source figure, destination unit, destination
// figure); the destination is in the current scene, both in the current group.
int32_t SimCore::CopyUnitFigure(int32_t scene, int32_t from, int32_t figure, int32_t to,
                                int32_t toFigure) {
  return CopyUnitPart(scene, from, figure, to, toFigure, &Unit::figures);
}

int32_t SimCore::CopyUnitModel(int32_t scene, int32_t from, int32_t model, int32_t to,
                               int32_t toModel) {
  return CopyUnitPart(scene, from, model, to, toModel, &Unit::models);
}

int32_t SimHost::CheckUnit(int32_t unit) {
  Lock guard(ControllerMutex());
  return TheController().FindUnit(unit) != nullptr ? 1 : 0;
}

// A unit number up to the count: the unit there is replaced, or the new
// one is added at the end.
int32_t SimHost::AssignUnit(int32_t unit, const wchar_t* kind) {
  return PlaceNew(unit, kind, false);
}

int32_t SimHost::InsertUnit(int32_t unit, const wchar_t* kind) {
  return PlaceNew(unit, kind, true);
}

int32_t SimHost::DeleteUnit(int32_t unit) {
  Lock guard(ControllerMutex());
  Controller& c = TheController();
  if (c.FindUnit(unit) == nullptr) return kFailed;
  auto& units = c.CurrentScene().units;
  units.erase(units.begin() + unit);
  return 0;
}

// (scene, source unit, destination unit, mode): a unit of another scene of
// the group into the current scene; mode 0 overwrites, otherwise inserts.
int32_t SimHost::CopyUnitEx(int32_t scene, int32_t from, int32_t to, int32_t mode) {
  Lock guard(ControllerMutex());
  Controller& c = TheController();
  if (!SceneInRange(c, scene)) return kFailed;
  return CopyInto(c.groups[c.group].scenes[scene].units, from, to, mode);
}

int32_t SimHost::CopyUnit(int32_t from, int32_t to, int32_t mode) {
  Lock guard(ControllerMutex());
  return CopyInto(TheController().CurrentScene().units, from, to, mode);
}

int32_t SimHost::MoveUnit(int32_t from, int32_t to) {
  Lock guard(ControllerMutex());
  auto& units = TheController().CurrentScene().units;
  if (from < 0 || to < 0 || static_cast<size_t>(from) >= units.size() ||
      static_cast<size_t>(to) >= units.size())
    return kFailed;
  Unit moving = std::move(units[static_cast<size_t>(from)]);
  units.erase(units.begin() + from);
  units.insert(units.begin() + to, std::move(moving));
  return 0;
}

int32_t SimHost::GetUnitCount() {
  Lock guard(ControllerMutex());
  return static_cast<int32_t>(TheController().CurrentScene().units.size());
}

// The first unit with the title; -1 when none has it.
int32_t SimHost::GetUnitNo(const wchar_t* name) {
  Lock guard(ControllerMutex());
  const auto& units = TheController().CurrentScene().units;
  for (size_t i = 0; name != nullptr && i < units.size(); ++i)
    if (units[i].title == name) return static_cast<int32_t>(i);
  return -1;
}

int32_t SimHost::SetUnitData(int32_t unit, const wchar_t* item, AnyType* value) {
  return StoreItem(unit, item, value);
}

int32_t SimHost::SetUnitDataByNo(int32_t unit, int32_t item, AnyType* value) {
  return StoreItem(unit, item, value);
}

int32_t SimHost::GetUnitData(int32_t unit, const wchar_t* item, AnyType* value) {
  return FetchItem(unit, item, value);
}

int32_t SimHost::GetUnitDataByNo(int32_t unit, int32_t item, AnyType* value) {
  return FetchItem(unit, item, value);
}

// A figure block starts with its length in bytes (a 16-bit word, itself
// included).
int32_t SimHost::SetUnitFigure(int32_t unit, int32_t figure, const void* block) {
  return WithUnit(unit, [&](Unit& u) {
    if (block == nullptr) return kFailed;
    const auto* bytes = static_cast<const uint8_t*>(block);
    const size_t length = static_cast<size_t>(bytes[0] | (bytes[1] << 8));
    if (length < 2) return kFailed;
    u.figures[figure] = Bytes(bytes, bytes + length);
    return 0;
  });
}

int32_t SimHost::GetUnitFigure(int32_t unit, int32_t figure, int32_t* place, void* buffer) {
  return WithUnit(unit, [&](Unit& u) {
    if (buffer == nullptr) return kFailed;
    const auto it = u.figures.find(figure);
    if (it == u.figures.end()) return kFailed;
    std::memcpy(buffer, it->second.data(), it->second.size());
    if (place != nullptr) *place = static_cast<int32_t>(it->second.size());
    return 0;
  });
}

int32_t SimHost::SetUnitTitle(int32_t unit, const wchar_t* title) {
  return WithUnit(unit, [&](Unit& u) {
    if (title == nullptr) return kFailed;
    u.title = title;
    return 0;
  });
}

int32_t SimHost::GetUnitTitle(int32_t unit, wchar_t* buffer, int32_t* capacity) {
  return WithUnit(unit, [&](Unit& u) { return TextResult(u.title, buffer, capacity); });
}

int32_t SimHost::GetUnitItemIdent(int32_t unit, wchar_t* buffer) {
  return WithUnit(unit, [&](Unit& u) { return TextResult(u.kind, buffer); });
}

int32_t SimHost::GetUnitInfo(int32_t unit, int32_t item) {
  Lock guard(ControllerMutex());
  Controller& c = TheController();
  Unit* u = c.FindUnit(unit);
  const ItemKind* kind = u != nullptr ? c.FindKind(u->kind) : nullptr;
  return kind != nullptr ? kind->Info(item) : 0;
}

}  // namespace msc::sim::model
