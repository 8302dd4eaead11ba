#pragma once

#include "search/search_session.h"

#include <QPointer>
#include <QWidget>

class DocumentBox;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// 検索と置換: one per process, not modal, without an owner; it works on the document box it
// was opened for and goes when that box's window goes.
class SearchWindow : public QWidget {
    Q_OBJECT
public:
    // Opens the window (or brings it to the front) with the focus in the search field. A
    // selection within one line becomes the text to find; a larger one the range to keep to.
    static SearchWindow* showFor(DocumentBox* box, QWidget* window);
    static SearchWindow* instance();

    ~SearchWindow() override;

    void findNext(SearchDirection direction);
    void replaceOne();
    void replaceAll();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    SearchWindow(DocumentBox* box, QWidget* window);
    void buildControls();
    void takeSelection();
    void storeFields();
    void keepToSelectionToggled(bool on);
    void report(const SearchSession::Outcome& outcome, SearchDirection direction);

    QPointer<DocumentBox> m_box;
    QPointer<QWidget> m_window;
    SearchSession* m_session;
    QLineEdit* m_findText = nullptr;
    QLineEdit* m_replaceText = nullptr;
    QCheckBox* m_matchCase = nullptr;
    QCheckBox* m_wholeWord = nullptr;
    QCheckBox* m_regularExpression = nullptr;
    QCheckBox* m_selectionOnly = nullptr;
    QLabel* m_note = nullptr;
};
