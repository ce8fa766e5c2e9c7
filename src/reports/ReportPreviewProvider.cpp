#include "ReportPreviewProvider.h"

#include "TVekStdPreviewInterface.h"

namespace {
ReportPreviewProvider* registered = nullptr;
}

void ReportPreviewProvider::setCurrent(ReportPreviewProvider* provider)
{
    registered = provider;
}

ReportPreviewProvider& ReportPreviewProvider::current()
{
    static TVekStdPreviewInterface standard;
    return registered ? *registered : standard;
}
