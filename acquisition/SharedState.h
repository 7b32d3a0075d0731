#pragma once

#include "acquisition/Records.h"

namespace qemra {

// The records every window reads; app/main.cpp makes one and hands it to every window,
// tests make their own.
struct SharedState {
    TMesData CurMes;
    TMesHistory MesHistory;
    TMySts MySts;
};

}  // namespace qemra
