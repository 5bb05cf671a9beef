#include "dicom/DicomSetup.h"

#include <dcmtk/dcmdata/dcdict.h>
#include <dcmtk/dcmdata/dcrleerg.h>
#include <dcmtk/dcmdata/dcrledrg.h>
#include <dcmtk/dcmjpeg/djdecode.h>
#include <dcmtk/dcmjpeg/djencode.h>
#include <dcmtk/dcmjpls/djdecode.h>
#include <dcmtk/dcmjpls/djencode.h>
#include <dcmtk/oflog/oflog.h>

#include <mutex>

namespace dicom {

bool DictionaryLoaded()
{
    return dcmDataDict.isDictionaryLoaded();
}

void RegisterCodecs()
{
    static std::once_flag once;
    std::call_once(once, [] {
        // Hostile objects make DCMTK warn a lot; the callers report failures.
        OFLog::configure(OFLogger::ERROR_LOG_LEVEL);
        DJDecoderRegistration::registerCodecs();
        DJEncoderRegistration::registerCodecs();
        DJLSDecoderRegistration::registerCodecs();
        DJLSEncoderRegistration::registerCodecs();
        DcmRLEDecoderRegistration::registerCodecs();
        DcmRLEEncoderRegistration::registerCodecs();
    });
}

} // namespace dicom
