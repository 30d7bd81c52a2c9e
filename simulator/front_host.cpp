// The front of the host interface and of the host library functions that
// reach the controller: every call passes Serve on its way to the model.
#include <cstddef>
#include <cstdint>

#include "front.h"
#include "json_values.h"
#include "macro_sc/host.h"
#include "serve.h"
#include "sim_internal.h"
#include "simulator.h"

namespace msc::sim {
namespace front {
namespace {

class FrontHost final : public HostInterface {
 public:
  explicit FrontHost(HostInterface* model) : m_(model) {}

  int32_t SetSceneData(const wchar_t* name, AnyType* value) override {
    return Pass<kHost, 7>(nullptr, m_, &HostInterface::SetSceneData, name, value);
  }
  int32_t GetSceneData(const wchar_t* name, AnyType* value) override {
    return PassValue<kHost, 8>(m_, &HostInterface::GetSceneData, value, name);
  }
  int32_t CheckUnit(int32_t unit) override {
    return Pass<kHost, 9>(nullptr, m_, &HostInterface::CheckUnit, unit);
  }
  int32_t AssignUnit(int32_t unit, const wchar_t* kind) override {
    return Pass<kHost, 10>(nullptr, m_, &HostInterface::AssignUnit, unit, kind);
  }
  int32_t InsertUnit(int32_t unit, const wchar_t* kind) override {
    return Pass<kHost, 11>(nullptr, m_, &HostInterface::InsertUnit, unit, kind);
  }
  int32_t DeleteUnit(int32_t unit) override {
    return Pass<kHost, 12>(nullptr, m_, &HostInterface::DeleteUnit, unit);
  }
  int32_t CopyUnitEx(int32_t a1, int32_t a2, int32_t a3, int32_t a4) override {
    return Pass<kHost, 13>(nullptr, m_, &HostInterface::CopyUnitEx, a1, a2, a3, a4);
  }
  int32_t CopyUnit(int32_t a1, int32_t a2, int32_t a3) override {
    return Pass<kHost, 14>(nullptr, m_, &HostInterface::CopyUnit, a1, a2, a3);
  }
  int32_t MoveUnit(int32_t from, int32_t to) override {
    return Pass<kHost, 15>(nullptr, m_, &HostInterface::MoveUnit, from, to);
  }
  int32_t GetUnitCount() override {
    return Pass<kHost, 17>(nullptr, m_, &HostInterface::GetUnitCount);
  }
  int32_t GetUnitNo(const wchar_t* name) override {
    return Pass<kHost, 18>(nullptr, m_, &HostInterface::GetUnitNo, name);
  }
  int32_t SetUnitData(int32_t unit, const wchar_t* item, AnyType* value) override {
    return Pass<kHost, 19>(nullptr, m_, &HostInterface::SetUnitData, unit, item, value);
  }
  int32_t SetUnitDataByNo(int32_t unit, int32_t item, AnyType* value) override {
    return Pass<kHost, 20>(nullptr, m_, &HostInterface::SetUnitDataByNo, unit, item, value);
  }
  int32_t GetUnitData(int32_t unit, const wchar_t* item, AnyType* value) override {
    return PassValue<kHost, 21>(m_, &HostInterface::GetUnitData, value, unit, item);
  }
  int32_t GetUnitDataByNo(int32_t unit, int32_t item, AnyType* value) override {
    return PassValue<kHost, 22>(m_, &HostInterface::GetUnitDataByNo, value, unit, item);
  }
  int32_t SetUnitFigure(int32_t unit, int32_t figure, const void* block) override {
    return Serve<kHost, 23>(nullptr, [&] { return A(unit, figure, Figure(block)); },
                            [&] { return m_->SetUnitFigure(unit, figure, block); });
  }
  int32_t GetUnitFigure(int32_t unit, int32_t figure, int32_t* place, void* buffer) override {
    return Serve<kHost, 24>(nullptr, [&] { return A(unit, figure); },
                            [&] { return m_->GetUnitFigure(unit, figure, place, buffer); },
                            [&] { return A(P(place), Figure(buffer)); });
  }
  int32_t GetImageFormat(int32_t first, int32_t second) override {
    return Pass<kHost, 27>(nullptr, m_, &HostInterface::GetImageFormat, first, second);
  }
  int32_t GetImageSize(int32_t first, int32_t second, int32_t* width, int32_t* height) override {
    return Serve<kHost, 28>(nullptr, [&] { return A(first, second); },
                            [&] { return m_->GetImageSize(first, second, width, height); },
                            [&] { return A(P(width), P(height)); });
  }
  int32_t SetUnitTitle(int32_t unit, const wchar_t* title) override {
    return Pass<kHost, 29>(nullptr, m_, &HostInterface::SetUnitTitle, unit, title);
  }
  int32_t GetUnitTitle(int32_t unit, wchar_t* buffer, int32_t* capacity) override {
    return PassText<kHost, 30>(m_, &HostInterface::GetUnitTitle, unit, buffer, capacity);
  }
  int32_t GetUnitItemIdent(int32_t unit, wchar_t* buffer) override {
    return PassText<kHost, 31>(m_, &HostInterface::GetUnitItemIdent, unit, buffer);
  }
  int32_t GetUnitInfo(int32_t unit, int32_t item) override {
    return Pass<kHost, 32>(nullptr, m_, &HostInterface::GetUnitInfo, unit, item);
  }
  int32_t GetUnitJudge(int32_t unit) override {
    return Pass<kHost, 33>(nullptr, m_, &HostInterface::GetUnitJudge, unit);
  }
  int32_t ClearMeasureData(int32_t unit) override {
    return Pass<kHost, 34>(nullptr, m_, &HostInterface::ClearMeasureData, unit);
  }
  int32_t ClearAllMeasureData(int32_t value) override {
    return Pass<kHost, 35>(nullptr, m_, &HostInterface::ClearAllMeasureData, value);
  }
  int32_t SetImageWindow(int32_t window, int32_t a1, int32_t a2, int32_t a3, int32_t a4, int32_t a5,
                         int32_t a6, double a7, int32_t a8, int32_t a9, int32_t a10,
                         int32_t a11) override {
    return Pass<kHost, 36>(nullptr, m_, &HostInterface::SetImageWindow, window, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11);
  }
  int32_t GetImageWindow(int32_t window, int32_t* a1, int32_t* a2, int32_t* a3, int32_t* a4,
                         int32_t* a5, int32_t* a6, double* a7, int32_t* a8, int32_t* a9,
                         int32_t* a10, int32_t* a11) override {
    return Serve<kHost, 37>(
        nullptr, [&] { return A(window); },
        [&] { return m_->GetImageWindow(window, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11); },
        [&] { return A(P(a1), P(a2), P(a3), P(a4), P(a5), P(a6), P(a7), P(a8), P(a9), P(a10), P(a11)); });
  }
  int32_t SetTextWindow(int32_t a1, int32_t a2, int32_t a3, int32_t a4) override {
    return Pass<kHost, 39>(nullptr, m_, &HostInterface::SetTextWindow, a1, a2, a3, a4);
  }
  int32_t GetTextWindow(int32_t* a1, int32_t* a2, int32_t* a3, int32_t* a4) override {
    return Serve<kHost, 40>(nullptr, [&] { return A(); }, [&] { return m_->GetTextWindow(a1, a2, a3, a4); },
                            [&] { return A(P(a1), P(a2), P(a3), P(a4)); });
  }
  int32_t SetDisplayUnitNo(int32_t unit) override {
    return Pass<kHost, 41>(nullptr, m_, &HostInterface::SetDisplayUnitNo, unit);
  }
  int32_t GetDisplayUnitNo() override {
    return Pass<kHost, 42>(nullptr, m_, &HostInterface::GetDisplayUnitNo);
  }

 private:
  // A figure block: as many bytes as its leading length word says.
  static Json Figure(const void* block) {
    if (block == nullptr) return nullptr;
    const auto* bytes = static_cast<const uint8_t*>(block);
    return BytesToJson(block, static_cast<size_t>(bytes[0] | (bytes[1] << 8)));
  }

  HostInterface* const m_;
};

}  // namespace
}  // namespace front

// Never destroyed: macro objects may still call it during process exit.
HostInterface* Host() {
  static auto* host = new front::FrontHost(ModelHost());
  return host;
}

}  // namespace msc::sim

// Host library functions that reach the controller pass the front too.

int32_t SetCurrentCoreRA(int32_t line) {
  using namespace msc::sim;
  using namespace msc::sim::front;
  return Serve<kLib, 0>(nullptr, [&] { return A(line); }, [&] { return ModelSetCurrentLine(line); });
}

int32_t ContinuousMeasure(int32_t on) {
  using namespace msc::sim;
  using namespace msc::sim::front;
  return Serve<kLib, 1>(nullptr, [&] { return A(on); }, [&] { return ModelContinuousMeasure(on); });
}

int32_t GetLanguageString(const wchar_t* key, wchar_t* buffer, int32_t* capacity, int32_t flags) {
  using namespace msc::sim;
  using namespace msc::sim::front;
  return Serve<kLib, 2>(nullptr, [&] { return A(key, flags); },
                        [&] { return ModelLanguageString(key, buffer, capacity); },
                        [&] { return A(buffer); });
}
