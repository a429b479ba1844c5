#include "authoring/NameRules.h"

#include "app/Prompter.h"

QString NameRules::Clean(const QString& name) {
    return name.trimmed();
}

QString NameRules::TooLongText() {
    return QStringLiteral("名称过长：最多 %1 个字").arg(kMaxLength);
}

bool NameRules::FitsOrTell(IPrompter& prompter, const QString& name) {
    if (name.size() <= kMaxLength) return true;
    Tell(prompter, TooLongText());
    return false;
}
