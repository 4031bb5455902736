#include "core/logging.h"

void applyDefaultLogRules()
{
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        QLoggingCategory::setFilterRules(QStringLiteral("trava.*.debug=false"));
}
