#pragma once

#include <QMutex>
#include <QWidget>

class QLabel;
class QParallelAnimationGroup;

// Four coloured dots that move together towards the centre and back while a cell connects.
class TvConnectAnimationView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPeriodMs = 1400;

    explicit TvConnectAnimationView(QWidget* parent = nullptr);

    void startAnimation();
    void stopAnimation();

    bool isAnimating() const { return m_group != nullptr; }
    QLabel* dot(int i) const { return m_dots[i]; }

private:
    QLabel* m_dots[4];
    QMutex m_mutex;
    QParallelAnimationGroup* m_group = nullptr;
};
