#pragma once

#include "site/shown_page.h"

#include <QPointer>
#include <QWidget>

class QLabel;
class QListWidget;

// リンクの確認: the local links of the page shown that lead nowhere, read from the text in
// the box; a row opens its line.
class LinkCheckWindow : public QWidget {
    Q_OBJECT
public:
    static LinkCheckWindow* showFor(Document& document, DocumentBox* box, QWidget* window);
    static LinkCheckWindow* instance();
    void check();

private:
    LinkCheckWindow(Document& document, DocumentBox* box, QWidget* window);
    QString siteRoot(const QString& pagePath, QStringView text);

    PageInBox m_page;
    QPointer<QWidget> m_window;
    QLabel* m_status;
    QListWidget* m_results;
};
