// What a C object slot points at: one base, so that Clear can destroy either kind.
#pragma once

#include "gif/c_api/c_api.h"

struct GifObject {
    virtual ~GifObject() = default;
};
