#pragma once

#include "sources/outlook/OutlookModel.h"

namespace testsupport {

// An Outlook that can be started but holds no store, for window tests that do not read mail.
class EmptyOutlook : public sources::outlook::ApplicationFactory
{
public:
    std::unique_ptr<sources::outlook::Application> create() override;
    bool available = true;
};

} // namespace testsupport
