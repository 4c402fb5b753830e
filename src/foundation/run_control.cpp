#include "foundation/run_control.h"

namespace orvix {

RunControl::RunControl(const QString &folder)
    : m_settingsFolder(folder.isEmpty() || folder.endsWith(u'/') ? folder : folder + u'/')
{
}

} // namespace orvix
