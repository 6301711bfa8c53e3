// The plug-in reads its saved settings silently and starts from its
// defaults when it cannot; hzfix says why before running it.
#ifndef HZ_APPS_HZFIX_PREFSWARNING_H
#define HZ_APPS_HZFIX_PREFSWARNING_H

namespace hzfix {

// One line on stderr when the preferences file exists but cannot be used;
// nothing otherwise.
void WarnOfUnusablePrefs();

}  // namespace hzfix

#endif
