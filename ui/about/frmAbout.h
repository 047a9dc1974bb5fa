#pragma once

#include <QDialog>

class CImageBox;
class CLabel;
class CPictureBox;
class QPushButton;

// The About window: the icon, a link to the maker's page, OK, and a picture that carries the About text.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    // The maker's address: the link shows it and opens it.
    static const char* const MakerAddress;

    explicit frmAbout(QWidget* owner);

    // Shows the program's one About window modally over the owner, creating it on first use.
    static void showModal(QWidget* owner);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private slots:
    void cmdOK_Click();
    void Label_Click(int index);

private:
    void createControls();
    void centreOverOwner();

    QPushButton* cmdOK = nullptr;
    CLabel* Label_3 = nullptr;
    CPictureBox* Picture1 = nullptr;
    CImageBox* Image1 = nullptr;
    QWidget* Line1 = nullptr;
};
