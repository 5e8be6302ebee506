#include "platform/qt/ServicesPrompts.h"

#include "text/Cp949.h"
#include "platform/qt/WidgetOf.h"

#include <QDialog>
#include <QEventLoop>
#include <QWidget>

namespace mrv::platform::qt {

namespace {

// One pattern of the bar notation as a Qt wildcard.
QString WildcardOf(const QString& pattern)
{
    if (pattern == QLatin1String("*.*")) return QStringLiteral("*");   // every name, with a dot or without
    if (pattern.contains(u'[')) return pattern;
    QString out;
    for (const QChar c : pattern) {
        if (c.isLetter() && c.toLower() != c.toUpper())
            out += u'[' + QString(c.toLower()) + QString(c.toUpper()) + u']';
        else
            out += c;
    }
    return out;
}

} // namespace

QWidget* PromptParent(CWnd* owner)
{
    QWidget* widget = WidgetOf(owner);
    return widget ? widget->window() : nullptr;
}

int RunPrompt(QDialog& prompt)
{
    if (prompt.parentWidget()) {
        prompt.setWindowModality(Qt::WindowModal);
        return prompt.exec();   // keeps the window modality: blocks the parent alone
    }
    QEventLoop loop;
    QObject::connect(&prompt, &QDialog::finished, &loop, &QEventLoop::quit);
    prompt.setWindowModality(Qt::NonModal);
    prompt.show();
    prompt.raise();
    prompt.activateWindow();
    loop.exec(QEventLoop::DialogExec);
    return prompt.result();
}

QStringList NameFiltersFromBarNotation(const std::string& cp949Filter)
{
    const QStringList parts = QString::fromStdString(text::Cp949ToUtf8Lossy(cp949Filter)).split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& name = parts[i];
        if (name.isEmpty()) break;   // "||" ends the list
        QStringList wildcards;
        for (const QString& pattern : parts[i + 1].split(u';', Qt::SkipEmptyParts))
            wildcards << WildcardOf(pattern.trimmed());
        if (wildcards.isEmpty()) continue;
        // Qt reads the patterns from the last parentheses; the name keeps its own.
        filters << name + QStringLiteral(" (") + wildcards.join(u' ') + u')';
    }
    return filters;
}

} // namespace mrv::platform::qt
