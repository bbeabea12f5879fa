#include "sources/outlook/OutlookModel.h"

namespace sources::outlook {

bool IsOutlookAvailable(ApplicationFactory& factory)
{
    try {
        return factory.create() != nullptr;
    } catch (...) {
        return false;
    }
}

} // namespace sources::outlook
