// The I/O channels: loopback wiring, scripted inputs, messages and PLC
// memory, and the controller's own run and error outputs.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>

#include "macro_sc/host.h"
#include "model.h"
#include "model_objects.h"

namespace msc::sim::model {

namespace {

template <class T>
void Encode(void* place, T value, bool bigEndian) {
  auto* bytes = static_cast<uint8_t*>(place);
  std::memcpy(bytes, &value, sizeof value);
  if (bigEndian) std::reverse(bytes, bytes + sizeof value);
}

template <class T>
T Decode(const void* place, bool bigEndian) {
  uint8_t bytes[sizeof(T)];
  std::memcpy(bytes, place, sizeof bytes);
  if (bigEndian) std::reverse(bytes, bytes + sizeof bytes);
  T value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

// An I/O channel: a handle by name on the controller's ChannelState, so that
// a scenario can replace the channels while handles stay valid. A handle
// whose channel a scenario removed refuses everything.
class SimIoModule final : public IoModule {
 public:
  explicit SimIoModule(std::wstring name) : name_(std::move(name)) {}

  // A loopback channel receives what it sends.
  int32_t SendData(const void* data, int32_t size, const void*) override {
    return With([&](ChannelState& c) {
      if (data == nullptr || size < 0) return kFailed;
      const auto* bytes = static_cast<const uint8_t*>(data);
      if (c.loopback && size > 0) c.incoming.emplace_back(bytes, bytes + size);
      return 0;
    });
  }
  // Hands out the next message (at most capacity bytes of it; the rest stays
  // for the next call); nothing waiting is 0 bytes.
  int32_t ReceiveData(void* block, int32_t capacity, int32_t* received, const void*) override {
    return With([&](ChannelState& c) {
      if (block == nullptr || received == nullptr || capacity < 0) return kFailed;
      *received = 0;
      if (c.incoming.empty()) return 0;
      Bytes& message = c.incoming.front();
      const size_t n = std::min(message.size(), static_cast<size_t>(capacity));
      if (n > 0) std::memcpy(block, message.data(), n);
      *received = static_cast<int32_t>(n);
      message.erase(message.begin(), message.begin() + static_cast<std::ptrdiff_t>(n));
      if (message.empty()) c.incoming.pop_front();
      return 0;
    });
  }
  int32_t PutAll(int32_t value) override {
    return With([&](ChannelState& c) {
      c.outputs = value;
      return 0;
    });
  }
  int32_t GetAll() override {
    return With([&](ChannelState& c) { return c.loopback ? c.outputs : c.inputs.Read(); }, 0);
  }
  int32_t PutPort(int32_t port, int32_t value) override {
    return With([&](ChannelState& c) {
      c.outputPorts[port] = value;
      return 0;
    });
  }
  int32_t GetPort(int32_t port) override {
    return With(
        [&](ChannelState& c) {
          if (c.loopback) return c.outputPorts.count(port) != 0 ? c.outputPorts[port] : 0;
          return c.inputPorts.count(port) != 0 ? c.inputPorts[port].Read() : 0;
        },
        0);
  }
  int32_t JudgeOut(int32_t value) override { return Signal(&ChannelState::judge, value); }
  int32_t BusyOut(int32_t value) override { return Signal(&ChannelState::busy, value); }
  int32_t RunOut(int32_t value) override { return Signal(&ChannelState::run, value); }
  int32_t ErrorOut(int32_t value) override { return Signal(&ChannelState::error, value); }
  int32_t SendString(const char* text) override {
    return With([&](ChannelState& c) {
      if (text == nullptr) return kFailed;
      if (c.loopback && *text != '\0') c.incoming.emplace_back(text, text + std::strlen(text));
      return 0;
    });
  }
  // PLC memory: 16-bit words by (area, address); the block carries them
  // little-endian, as the engine builds it.
  int32_t WritePlcMemory(int32_t area, int32_t address, int32_t count, const void* block) override {
    return With([&](ChannelState& c) {
      if (block == nullptr || count < 0 || address < 0) return kFailed;
      const auto* bytes = static_cast<const uint8_t*>(block);
      for (int32_t i = 0; i < count; ++i)
        c.plcMemory[{area, address + i}] =
            static_cast<uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
      return 0;
    });
  }
  int32_t ReadPlcMemory(int32_t area, int32_t address, int32_t count, void* block) override {
    return With([&](ChannelState& c) {
      if (block == nullptr || count < 0 || address < 0) return kFailed;
      auto* bytes = static_cast<uint8_t*>(block);
      for (int32_t i = 0; i < count; ++i) {
        const auto it = c.plcMemory.find({area, address + i});
        const uint16_t word = it != c.plcMemory.end() ? it->second : 0;
        bytes[2 * i] = static_cast<uint8_t>(word & 0xFF);
        bytes[2 * i + 1] = static_cast<uint8_t>(word >> 8);
      }
      return 0;
    });
  }
  int32_t SetPlcData32(void* place, int32_t value) override { return Put(place, value); }
  int32_t GetPlcData32(const void* place) override { return Get<int32_t>(place); }
  int32_t SetPlcData16(void* place, int32_t value) override {
    return Put(place, static_cast<int16_t>(value));
  }
  int16_t GetPlcData16(const void* place) override { return Get<int16_t>(place); }
  int32_t SetPlcDataReal(void* place, double value) override { return Put(place, value); }
  double GetPlcDataReal(const void* place) override { return Get<double>(place); }
  int32_t SetPollingState(int32_t state) override { return Signal(&ChannelState::polling, state); }
  int32_t GetPollingState() override {
    return With([&](ChannelState& c) { return c.polling; }, 0);
  }

 private:
  // Runs fn on the channel's state under the controller's lock; absent is
  // the given answer.
  template <class Fn, class R = std::invoke_result_t<Fn&, ChannelState&>>
  R With(Fn&& fn, R absent = kFailed) {
    Lock guard(ControllerMutex());
    auto& channels = TheController().channels;
    const auto it = channels.find(name_);
    return it != channels.end() ? fn(it->second) : absent;
  }
  int32_t Signal(int32_t ChannelState::*signal, int32_t value) {
    return With([&](ChannelState& c) {
      c.*signal = value;
      return 0;
    });
  }
  template <class T>
  int32_t Put(void* place, T value) {
    return With([&](ChannelState& c) {
      if (place == nullptr) return kFailed;
      Encode(place, value, c.bigEndian);
      return 0;
    });
  }
  template <class T>
  T Get(const void* place) {
    return With(
        [&](ChannelState& c) { return place != nullptr ? Decode<T>(place, c.bigEndian) : T{}; },
        T{});
  }

  const std::wstring name_;
};

}  // namespace

// The handle of a channel name; handles are never destroyed.
IoModule* ChannelHandle(const std::wstring& name) {
  static auto* handles = new std::map<std::wstring, std::unique_ptr<SimIoModule>>;
  static auto* mutex = new std::mutex;
  Lock guard(*mutex);
  auto& handle = (*handles)[name];
  if (!handle) handle = std::make_unique<SimIoModule>(name);
  return handle.get();
}

IoModule* SimCore::GetIoModule(const wchar_t* name) {
  if (name == nullptr) return nullptr;
  {
    Lock guard(ControllerMutex());
    if (TheController().channels.count(name) == 0) return nullptr;
  }
  return ChannelHandle(name);
}

int32_t SimCore::RunOut(int32_t value) { return SetField(&Controller::runOut, value); }

int32_t SimCore::ErrorOut(int32_t value) { return SetField(&Controller::errorOut, value); }

}  // namespace msc::sim::model
