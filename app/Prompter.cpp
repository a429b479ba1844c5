#include "app/Prompter.h"

#include "app/WidgetPrompter.h"

IPrompter::~IPrompter() = default;

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
