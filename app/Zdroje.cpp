#include "Zdroje.h"

#include <QtGlobal>

// Q_INIT_RESOURCE declares the registration function, so it must stand outside any namespace.
static void RegisterKalmetraResources() { Q_INIT_RESOURCE(kalmetra); }

namespace kalmetra {

void ZajistitZdroje() {
  static const bool registered = [] {
    RegisterKalmetraResources();
    return true;
  }();
  (void)registered;
}

}  // namespace kalmetra
