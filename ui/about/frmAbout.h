#pragma once

#include "app/Layout.h"
#include "ui/widgets/LayoutBuilder.h"

#include <QDialog>
#include <memory>

class AboutForm;

// The About window in Qt's terms: the icon, a link to the maker's page, OK, and a picture that carries the About
// text. What its keys and clicks do is AboutForm's.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* owner);
    ~frmAbout() override;

    // Shows the program's one About window modally over the owner, creating it on first use.
    static void showModal(QWidget* owner);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class Face;

    void createControls();
    void centreOverOwner();
    bool controlEvent(QWidget* control, QEvent* event);

    std::unique_ptr<Face> m_face;
    std::unique_ptr<AboutForm> m_form;
    LayoutBuilder::Widgets<Layout::frmAbout> m_controls;
    std::optional<Layout::frmAbout> m_leftDownOn; // the control a left press started a click on
};
