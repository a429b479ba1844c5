#include "app/Prompter.h"

#include "app/GbkCodec.h"

IPrompter::~IPrompter() = default;

QString NoticeText(const QString& text) {
    return GbkCodec::ByteLength(text) < 26 ? QStringLiteral("       ") + text : text;
}

int Tell(IPrompter& prompter, const QString& text, unsigned style, const QString& caption) {
    if (style != MB_NOTICE) return prompter.MessageBox(text, caption, style);
    prompter.Notice(NoticeText(text));
    return IDOK;
}

bool AskYesNo(IPrompter& prompter, const QString& text, unsigned icon) {
    return prompter.Confirm(text, QStringLiteral("提示"), icon);
}
