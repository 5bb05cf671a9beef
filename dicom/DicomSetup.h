#pragma once
// What every use of DCMTK needs first.

namespace dicom {

// True when DCMTK's data dictionary loads: without it no tag has a name or a
// VR, so the floater leaves DICOM off.
bool DictionaryLoaded();

// Registers the JPEG, JPEG-LS and RLE decoders and encoders once per process
// and keeps DCMTK's log to errors. Safe to call from anywhere, any number of
// times.
void RegisterCodecs();

} // namespace dicom
