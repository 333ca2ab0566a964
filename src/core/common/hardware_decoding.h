#pragma once

namespace dashcard {

// Preferences › Hardware decoding: on unless the user turned it off. The
// players and the side-by-side export read it when they start; where no
// device or driver is present both decode in software either way.
bool hardwareDecodingEnabled();
void setHardwareDecodingEnabled(bool enabled);

}  // namespace dashcard
