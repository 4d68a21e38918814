// The resources compiled into the program (resources/kalmetra.qrc).
#pragma once

namespace kalmetra {

// Registers the compiled resources; safe to call any number of times. The static
// library's resource object is only linked in because this refers to it.
void ZajistitZdroje();

}  // namespace kalmetra
