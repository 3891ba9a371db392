// The start-up choice record.
#include "data/boot_data.h"

cBootData g_BootData;
