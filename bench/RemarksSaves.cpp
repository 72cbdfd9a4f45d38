#include "RemarksSaves.h"

#include "chart/FrmConsulVemtaro.h"

#include <QApplication>

namespace vemtaro::bench {

void RemarksSaves::next()
{
    m_window.dcdatos->moveTo(++m_row);
    m_remarks = QStringLiteral("REVISADO %1").arg(m_row);
    QApplication::processEvents();
}

void RemarksSaves::save()
{
    m_window.cmdEdicion->click();
    m_window.txtObserv->setText(m_remarks);
    m_window.cmdSalvar->click();
    QApplication::processEvents();
}

} // namespace vemtaro::bench
