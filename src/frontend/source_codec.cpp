#include "frontend/source_codec.h"

#include <atomic>

namespace msc {
namespace {

std::atomic<const SourceCodec*> g_codec{nullptr};

}  // namespace

void SetSourceCodec(const SourceCodec* codec) noexcept { g_codec.store(codec, std::memory_order_release); }

const SourceCodec* CurrentSourceCodec() noexcept { return g_codec.load(std::memory_order_acquire); }

}  // namespace msc
