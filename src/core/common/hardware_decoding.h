#pragma once

namespace dashcard {

// Preferences › Hardware decoding: on unless the user turned it off. The
// players and the side-by-side export read it when they start; where no
// device or driver is present both decode in software either way.
bool hardwareDecodingEnabled();
void setHardwareDecodingEnabled(bool enabled);
// Whether a decoding device could be there at all: a render node
// (VA-API, VDPAU on Mesa) or an NVIDIA device node. Without one, probing
// for hardware at every clip only prints the drivers' complaints.
bool hardwareDecodingDevicePresent();

}  // namespace dashcard
