#pragma once

namespace dashcard {

// Preferences › Hardware decoding: on unless the user turned it off. The
// players and the side-by-side export read it when they start; where no
// device or driver is present both decode in software either way.
bool hardwareDecodingEnabled();
void setHardwareDecodingEnabled(bool enabled);
// Whether to look for a decoding device at all: the preference is on and a
// render node (VA-API, VDPAU on Mesa) or an NVIDIA device node exists.
// Without one, probing at every clip only prints the drivers' complaints.
bool shouldTryHardwareDecoding();

}  // namespace dashcard
