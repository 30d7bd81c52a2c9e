// The exported functions through which a host drives the macro engine.
#pragma once

#include <cstdint>

#include "macro_sc/host.h"

class QorMacro;

#define MSC_EXPORT extern "C" __attribute__((visibility("default")))

// Creates a macro object bound to the host interface; null on failure.
MSC_EXPORT QorMacro* _CreateQorMacro(HostInterface* host);
// Destroys a macro object; does nothing for null.
MSC_EXPORT void _DeleteQorMacro(QorMacro* macro);
