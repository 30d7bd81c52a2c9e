// The front of the I/O channels: each channel the model hands out is wrapped
// once, so that its calls are traced under the channel's name.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "json_values.h"
#include "macro_sc/host.h"
#include "serve.h"
#include "sim_internal.h"

namespace msc::sim::front {
namespace {

class FrontIo final : public IoModule {
 public:
  FrontIo(IoModule* model, std::string name) : m_(model), name_(std::move(name)) {}

  int32_t SendData(const void* data, int32_t size, const void* second) override {
    return Serve<kIo, 3>(&name_, [&] { return A(BytesToJson(data, size > 0 ? static_cast<size_t>(size) : 0), size, Present(second)); },
                         [&] { return m_->SendData(data, size, second); });
  }
  int32_t ReceiveData(void* block, int32_t capacity, int32_t* received, const void* second) override {
    return Serve<kIo, 4>(
        &name_, [&] { return A(capacity, Present(second)); },
        [&] { return m_->ReceiveData(block, capacity, received, second); },
        [&] {
          const int32_t n = received != nullptr ? std::clamp(*received, 0, std::max(capacity, 0)) : 0;
          return A(BytesToJson(block, static_cast<size_t>(n)), n);
        });
  }
  int32_t PutAll(int32_t value) override {
    return Pass<kIo, 5>(&name_, m_, &IoModule::PutAll, value);
  }
  int32_t GetAll() override {
    return Pass<kIo, 6>(&name_, m_, &IoModule::GetAll);
  }
  int32_t PutPort(int32_t port, int32_t value) override {
    return Pass<kIo, 7>(&name_, m_, &IoModule::PutPort, port, value);
  }
  int32_t GetPort(int32_t port) override {
    return Pass<kIo, 8>(&name_, m_, &IoModule::GetPort, port);
  }
  int32_t JudgeOut(int32_t value) override {
    return Pass<kIo, 9>(&name_, m_, &IoModule::JudgeOut, value);
  }
  int32_t BusyOut(int32_t value) override {
    return Pass<kIo, 10>(&name_, m_, &IoModule::BusyOut, value);
  }
  int32_t RunOut(int32_t value) override {
    return Pass<kIo, 11>(&name_, m_, &IoModule::RunOut, value);
  }
  int32_t ErrorOut(int32_t value) override {
    return Pass<kIo, 12>(&name_, m_, &IoModule::ErrorOut, value);
  }
  int32_t SendString(const char* text) override {
    return Pass<kIo, 15>(&name_, m_, &IoModule::SendString, text);
  }
  int32_t WritePlcMemory(int32_t area, int32_t address, int32_t count, const void* block) override {
    return Serve<kIo, 16>(
        &name_, [&] { return A(area, address, count, BytesToJson(block, Words(count))); },
        [&] { return m_->WritePlcMemory(area, address, count, block); });
  }
  int32_t ReadPlcMemory(int32_t area, int32_t address, int32_t count, void* block) override {
    return Serve<kIo, 17>(
        &name_, [&] { return A(area, address, count); },
        [&] { return m_->ReadPlcMemory(area, address, count, block); },
        [&] { return A(BytesToJson(block, Words(count))); });
  }
  int32_t SetPlcData32(void* place, int32_t value) override {
    return SetPlc<18, 4>(place, value, &IoModule::SetPlcData32);
  }
  int32_t GetPlcData32(const void* place) override {
    return GetPlc<19, 4>(place, &IoModule::GetPlcData32);
  }
  int32_t SetPlcData16(void* place, int32_t value) override {
    return SetPlc<20, 2>(place, value, &IoModule::SetPlcData16);
  }
  int16_t GetPlcData16(const void* place) override {
    return GetPlc<21, 2>(place, &IoModule::GetPlcData16);
  }
  int32_t SetPlcDataReal(void* place, double value) override {
    return SetPlc<22, 8>(place, value, &IoModule::SetPlcDataReal);
  }
  double GetPlcDataReal(const void* place) override {
    return GetPlc<23, 8>(place, &IoModule::GetPlcDataReal);
  }
  int32_t SetPollingState(int32_t state) override {
    return Pass<kIo, 24>(&name_, m_, &IoModule::SetPollingState, state);
  }
  int32_t GetPollingState() override {
    return Pass<kIo, 25>(&name_, m_, &IoModule::GetPollingState);
  }

 private:
  // PLC data: the value goes in and the place's kBytes come out, or the
  // place's bytes go in and the value comes out.
  template <int kSlot, size_t kBytes, class T>
  int32_t SetPlc(void* place, T value, int32_t (IoModule::*set)(void*, T)) {
    return Serve<kIo, kSlot>(&name_, [&] { return A(value); }, [&] { return (m_->*set)(place, value); },
                             [&] { return A(BytesToJson(place, kBytes)); });
  }
  template <int kSlot, size_t kBytes, class R>
  R GetPlc(const void* place, R (IoModule::*get)(const void*)) {
    return Serve<kIo, kSlot>(&name_, [&] { return A(BytesToJson(place, kBytes)); },
                             [&] { return (m_->*get)(place); });
  }
  static Json Present(const void* block) { return block != nullptr ? Json("block") : Json(); }
  static size_t Words(int32_t count) { return count > 0 ? 2 * static_cast<size_t>(count) : 0; }

  IoModule* const m_;
  const std::string name_;
};

}  // namespace

// The front of a channel of the model; fronts are never destroyed.
IoModule* ChannelFront(IoModule* model, const wchar_t* name) {
  static auto* fronts = new std::map<IoModule*, std::unique_ptr<FrontIo>>;
  static auto* mutex = new std::mutex;
  std::lock_guard<std::mutex> guard(*mutex);
  auto& front = (*fronts)[model];
  if (!front) front = std::make_unique<FrontIo>(model, ToUtf8(name));
  return front.get();
}

}  // namespace msc::sim::front
