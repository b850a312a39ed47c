#pragma once

#include <QDialog>

namespace sora {

class MDIForm1;

class frmTimeInterval final : public QDialog
{
    Q_OBJECT
public:
    explicit frmTimeInterval(MDIForm1& main);

    void Form_Load();

private:
    MDIForm1& m_main;
};

} // namespace sora
