#include "TvPlayHost.h"

namespace {
TvPlayHost* g_host = nullptr;
}

TvPlayHost* TvPlayHost::installed() {
    return g_host;
}

void TvPlayHost::install(TvPlayHost* host) {
    g_host = host;
}
