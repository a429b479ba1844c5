#include "app/MessageBox.h"

#include "app/CCatalogueApp.h"
#include "app/WidgetPrompter.h"

namespace {
IPrompter* g_prompter = nullptr;
}

IPrompter& Prompter() {
    if (!g_prompter) {
        static WidgetPrompter fallback;
        g_prompter = &fallback;
    }
    return *g_prompter;
}

IPrompter* SetPrompter(IPrompter* prompter) {
    IPrompter* previous = g_prompter;
    g_prompter = prompter;
    return previous;
}

int AfxMessageBox(const QString& text, unsigned style) {
    return theApp.DoMessageBox(text, style);
}

bool ConfirmYesNo(const QString& text, unsigned icon) {
    return AskYesNo(Prompter(), text, icon);
}
