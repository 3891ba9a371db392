// The data version of the running player for one test: files are written at 770 and the
// version before the test comes back afterwards.
#pragma once

#include "core/record.h"

namespace wftest {

class ScopedDataVersion {
  public:
    ScopedDataVersion() { g_nDataVersion = kCurrentDataVersion; }
    ~ScopedDataVersion() { g_nDataVersion = old_; }
    ScopedDataVersion(const ScopedDataVersion&) = delete;
    ScopedDataVersion& operator=(const ScopedDataVersion&) = delete;

  private:
    uint32_t old_ = g_nDataVersion;
};

}  // namespace wftest
