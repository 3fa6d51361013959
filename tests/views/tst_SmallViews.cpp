#include "TestMain.h"
#include "TextFieldFrames.h"

#include "models/SettingsKeys.h"
#include "models/UIState.h"
#include "platform/Workspace.h"
#include "views/ActivityIndicator.h"
#include "views/AuthorizeView.h"
#include "views/Colors.h"
#include "views/HorizontalLine.h"
#include "views/HorizontalLineShape.h"
#include "views/SettingsButton.h"
#include "views/TextFieldFocusRing.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUrlQuery>
#include <QVBoxLayout>

namespace {
class RecordingWorkspace : public Workspace {
public:
    QList<QUrl> opened;
    bool openUrl(const QUrl &url) override {
        opened.append(url);
        return true;
    }
    bool openFolder(const QString &) override { return true; }
};
} // namespace

class tst_SmallViews : public QObject {
    Q_OBJECT
private slots:
    void horizontalLineLiesAlongTheBottom();
    void horizontalLineShapeStartsAtTheOrigin();
    void activityIndicatorSpinsWhileShown_data();
    void activityIndicatorSpinsWhileShown();
    void settingsButtonTintFollowsThePointer();
    void authorizeViewShowsTheErrorOnlyWhenThereIsOne();
    void authorizeButtonOpensThePageForTheCurrentClientId();
    void authorizationPageCarriesTheClientIdAsOneValue_data();
    void authorizationPageCarriesTheClientIdAsOneValue();
    void textFieldsDrawNoFocusRing();
};

void tst_SmallViews::horizontalLineLiesAlongTheBottom() {
    QWidget host;
    host.resize(200, 40);
    HorizontalLine line(Colors::grey(0.2), 1, &host);
    line.setGeometry(0, 0, 200, 40);
    QImage image(200, 40, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    line.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);

    const QColor expected = Colors::grey(0.2);
    for (int x : {3, 100, 196})
        QCOMPARE(image.pixelColor(x, 39).rgb(), expected.rgb());
    for (int y : {0, 20, 38})
        QCOMPARE(image.pixelColor(100, y).alpha(), 0);

    // Without a colour nothing is drawn.
    HorizontalLine none(std::nullopt, 1);
    none.resize(200, 40);
    image.fill(Qt::transparent);
    none.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    QCOMPARE(image.pixelColor(100, 39).alpha(), 0);
}

void tst_SmallViews::horizontalLineShapeStartsAtTheOrigin() {
    const QRectF bounds = HorizontalLineShape::path(QRectF(50, 60, 120, 3)).boundingRect();
    QCOMPARE(bounds, QRectF(0, 0, 120, 3));
}

void tst_SmallViews::activityIndicatorSpinsWhileShown_data() {
    QTest::addColumn<ActivityIndicator::ControlSize>("size");
    QTest::addColumn<int>("extent");
    QTest::newRow("regular") << ActivityIndicator::ControlSize::Regular << 32;
    QTest::newRow("small") << ActivityIndicator::ControlSize::Small << 16;
}

void tst_SmallViews::activityIndicatorSpinsWhileShown() {
    QFETCH(ActivityIndicator::ControlSize, size);
    QFETCH(int, extent);
    auto indicator = std::make_unique<ActivityIndicator>(size);
    QCOMPARE(indicator->size(), QSize(extent, extent));
    QVERIFY(!indicator->isAnimating());
    indicator->show();
    QVERIFY(indicator->isAnimating());
    const QImage before = indicator->grab().toImage();
    QTRY_VERIFY(indicator->grab().toImage() != before); // it moves
    indicator->hide();
    QVERIFY(!indicator->isAnimating());
    indicator.reset();

    // A new indicator shown in its place spins again.
    ActivityIndicator again(size);
    again.show();
    QVERIFY(again.isAnimating());
}

void tst_SmallViews::settingsButtonTintFollowsThePointer() {
    int presses = 0;
    SettingsButton button([&] { ++presses; });
    QCOMPARE(button.size(), QSize(24 + 13, 24 + 10));
    button.show();
    QCOMPARE(button.currentTint(), Colors::gray);

    QEnterEvent enter(QPointF(30, 2), QPointF(30, 2), button.mapToGlobal(QPointF(30, 2)));
    QApplication::sendEvent(&button, &enter); // in the padding, beside the gear
    QVERIFY(button.isOver());
    QCOMPARE(button.targetTint(), Colors::white);
    QVERIFY(button.currentTint() != Colors::white); // it fades
    QTRY_COMPARE(button.currentTint().rgb(), Colors::white.rgb());

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&button, &leave);
    QVERIFY(!button.isOver());
    QTRY_COMPARE(button.currentTint().rgb(), Colors::gray.rgb());

    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(presses, 1);
}

void tst_SmallViews::authorizeViewShowsTheErrorOnlyWhenThereIsOne() {
    UIState ui;
    AuthorizeView view(&ui);
    view.resize(360, 600);
    view.show();
    QVERIFY(!view.errorLabel()->isVisible());

    ui.setErrorMessage(UIState::signInErrorText);
    QVERIFY(view.errorLabel()->isVisible());
    QCOMPARE(view.errorLabel()->text(), UIState::signInErrorText);
    QCOMPARE(view.errorLabel()->palette().color(QPalette::WindowText), Colors::orange);

    // Image, error, prompt, button, top to bottom.
    auto *column = qobject_cast<QVBoxLayout *>(view.layout());
    QVERIFY(column);
    QCOMPARE(column->count(), 4);
    QCOMPARE(column->itemAt(1)->widget(), view.errorLabel());
    QCOMPARE(qobject_cast<QLabel *>(column->itemAt(2)->widget())->text(),
             QStringLiteral("You need to authorize Quavelin to browse and download audio files."));
    QCOMPARE(column->itemAt(3)->widget(), view.openButton());
    int previousBottom = -1;
    for (int i = 0; i < column->count(); ++i) {
        const QRect g = column->itemAt(i)->widget()->geometry();
        QVERIFY(g.top() > previousBottom);
        previousBottom = g.bottom();
    }

    ui.setErrorMessage(std::nullopt);
    QVERIFY(!view.errorLabel()->isVisible());
}

void tst_SmallViews::authorizeButtonOpensThePageForTheCurrentClientId() {
    RecordingWorkspace workspace;
    Workspace::setShared(&workspace);
    qputenv("QUAVELIN_API_BASE", "http://127.0.0.1:9");
    UIState ui;
    AuthorizeView view(&ui);
    view.show();
    QCOMPARE(view.openButton()->text(), QStringLiteral("Open Freesound website"));

    Defaults::Keys::clientId.write(QStringLiteral("MyOwnClient123"));
    QTest::mouseClick(view.openButton(), Qt::LeftButton);
    Defaults::Keys::clientId.reset();
    QTest::mouseClick(view.openButton(), Qt::LeftButton);
    Workspace::setShared(nullptr);

    QCOMPARE(workspace.opened.size(), 2);
    QCOMPARE(workspace.opened.at(0).toString(),
             QStringLiteral("http://127.0.0.1:9/apiv2/oauth2/authorize/"
                            "?client_id=MyOwnClient123&response_type=code"));
    QCOMPARE(workspace.opened.at(1).query(), QStringLiteral("client_id=") +
                                                 Defaults::Keys::clientId.defaultValue() +
                                                 QStringLiteral("&response_type=code"));
}

void tst_SmallViews::authorizationPageCarriesTheClientIdAsOneValue_data() {
    QTest::addColumn<QString>("clientId");
    QTest::addColumn<QByteArray>("encoded"); // as it stands in the address
    QTest::newRow("letters and digits") << "MyOwnClient123" << QByteArray("MyOwnClient123");
    QTest::newRow("unreserved") << "a-b.c_d~e" << QByteArray("a-b.c_d~e");
    QTest::newRow("parameter smuggled in")
        << "ab#c&response_type=token" << QByteArray("ab%23c%26response_type%3Dtoken");
    QTest::newRow("space and plus") << "a b+c" << QByteArray("a%20b%2Bc");
    QTest::newRow("path and query marks") << "/?%" << QByteArray("%2F%3F%25");
    QTest::newRow("non-ASCII") << QStringLiteral("é") << QByteArray("%C3%A9");
    QTest::newRow("empty") << "" << QByteArray();
}

void tst_SmallViews::authorizationPageCarriesTheClientIdAsOneValue() {
    QFETCH(QString, clientId);
    QFETCH(QByteArray, encoded);
    qputenv("QUAVELIN_API_BASE", "http://127.0.0.1:9");
    Defaults::Keys::clientId.write(clientId);
    const QUrl url = AuthorizeView::authorizationPageURL();
    Defaults::Keys::clientId.reset();

    QVERIFY(url.isValid());
    QCOMPARE(url.toEncoded(), "http://127.0.0.1:9/apiv2/oauth2/authorize/?client_id=" + encoded +
                                  "&response_type=code");
    // What the service reads from it: the one client id and the code grant.
    const QUrlQuery query(url);
    QCOMPARE(query.queryItemValue(QStringLiteral("client_id"), QUrl::FullyDecoded), clientId);
    QCOMPARE(query.allQueryItemValues(QStringLiteral("response_type")),
             QStringList{QStringLiteral("code")});
    QVERIFY(!url.hasFragment());
}

void tst_SmallViews::textFieldsDrawNoFocusRing() {
    // The style of this platform rings a focused field, else this test shows nothing.
    const auto [plainWithout, plainWith] = textFieldFramesWithoutAndWithFocus();
    QVERIFY(!plainWith.isNull());
    if (plainWith == plainWithout)
        QSKIP("this style draws no focus ring on text fields");

    TextFieldFocusRing::removeFromEveryTextField();
    TextFieldFocusRing::removeFromEveryTextField(); // once is enough; again changes nothing
    const auto [without, with] = textFieldFramesWithoutAndWithFocus();
    QVERIFY(!with.isNull());
    QCOMPARE(with, without);
}

QUAVELIN_TEST_MAIN(tst_SmallViews)
#include "tst_SmallViews.moc"
