// The window program's one guard: an exception out of an event handler is reported and the
// event loop goes on.
#include "ui/support/GuardedApplication.h"

#include <QPushButton>
#include <QtTest/QtTest>

#include <stdexcept>
#include <string>
#include <vector>

using namespace zelk::ui;

class GuardedApplicationTest : public QObject {
    Q_OBJECT
private slots:
    void anExceptionOutOfASlotIsReportedAndTheLoopGoesOn() {
        auto* app = static_cast<GuardedApplication*>(QCoreApplication::instance());
        std::vector<std::string> reported;
        app->setReporter([&](const std::string& what) { reported.push_back(what); });
        QPushButton button;
        int clicks = 0;
        connect(&button, &QPushButton::clicked, &button, [&] {
            ++clicks;
            if (clicks == 1)
                throw std::out_of_range("measure 301 of 300");
        });
        button.show();
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(reported, std::vector<std::string>{"measure 301 of 300"});
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(clicks, 2);
        QCOMPARE(reported.size(), size_t(1));
    }
};

int main(int argc, char** argv) {
    GuardedApplication app(argc, argv);
    GuardedApplicationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "GuardedApplicationTest.moc"
