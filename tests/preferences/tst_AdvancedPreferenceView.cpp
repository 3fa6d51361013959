#include "TestMain.h"

#include "PreferencesTestKit.h"
#include "models/SettingsKeys.h"
#include "preferences/AdvancedPreferenceView.h"
#include "views/Colors.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>

using namespace PaneDriver;
namespace Keys = Defaults::Keys;

class TestAdvancedPreferenceView : public QObject {
    Q_OBJECT
private:
    static QCheckBox *toggle(const QWidget *view) {
        return button<QCheckBox>(view, QStringLiteral("Show advanced settings"));
    }
    static QLineEdit *field(const QWidget *view, const QString &placeholder) {
        for (QLineEdit *f : view->findChildren<QLineEdit *>()) {
            if (f->placeholderText() == placeholder)
                return f;
        }
        return nullptr;
    }

private slots:
    void init() {
        Keys::clientId.reset();
        Keys::clientSecret.reset();
        Keys::accessToken.reset();
    }

    void toggleShowsAndRemovesTheCredentialSections() {
        AdvancedPreferenceView view;
        view.show();
        QLabel *warning = label(&view, QStringLiteral("If you know what you're doing go ahead."));
        QVERIFY(shows(warning));
        QCOMPARE(textColor(warning), Colors::orange);
        QVERIFY(!toggle(&view)->isChecked());
        // While off, none of it exists.
        QVERIFY(view.findChildren<QLineEdit *>().isEmpty());
        QVERIFY(!button(&view, QStringLiteral("Reset")));
        QVERIFY(!label(&view, QStringLiteral("Client ID:")));
        QVERIFY(!labelStartingWith(&view, QStringLiteral("Get API keys from ")));

        Keys::clientId.write(QStringLiteral("ownId"));
        QSignalSpy changes(&SettingsStore::standard(), &SettingsStore::valueChanged);
        click(toggle(&view));
        QVERIFY(view.showAdvancedSettings());
        QVERIFY(shows(label(&view, QStringLiteral("Get API keys from Freesound.org:"))));
        QVERIFY(shows(label(&view, QStringLiteral("Client ID:"))));
        QVERIFY(shows(label(&view, QStringLiteral("Client Secret:"))));
        QVERIFY(shows(
            label(&view, QStringLiteral("After changing these re-authenticating is required."))));
        QVERIFY(shows(button(&view, QStringLiteral("Reset"))));
        QCOMPARE(field(&view, QStringLiteral("Client ID"))->text(), QStringLiteral("ownId"));
        QCOMPARE(field(&view, QStringLiteral("Client Secret:"))->text(), Keys::clientSecret.read());
        QCOMPARE(field(&view, QStringLiteral("Client ID"))->width(), 300);

        click(toggle(&view));
        QVERIFY(view.findChildren<QLineEdit *>().isEmpty());
        QVERIFY(!button(&view, QStringLiteral("Reset")));
        QCOMPARE(changes.count(), 0);
        QCOMPARE(Keys::clientId.read(), QStringLiteral("ownId"));
    }

    void fieldsAreBoundToTheSettings() {
        AdvancedPreferenceView view;
        view.show();
        view.setShowAdvancedSettings(true);
        QLineEdit *id = field(&view, QStringLiteral("Client ID"));
        QLineEdit *secret = field(&view, QStringLiteral("Client Secret:"));
        // The secret is shown in clear.
        QCOMPARE(secret->echoMode(), QLineEdit::Normal);

        id->selectAll();
        QTest::keyClicks(id, QStringLiteral("abc"));
        QCOMPARE(Keys::clientId.read(), QStringLiteral("abc"));
        QTest::keyClicks(secret, QStringLiteral("X"));
        QCOMPARE(Keys::clientSecret.read(), QString::fromLatin1(BuildInfo::clientSecret) + 'X');

        // Changes made elsewhere show up in the fields.
        Keys::clientId.write(QStringLiteral("from elsewhere"));
        QCOMPARE(id->text(), QStringLiteral("from elsewhere"));
    }

    void anEmptiedClientIdIsStoredAsEmpty() {
        AdvancedPreferenceView view;
        view.show();
        view.setShowAdvancedSettings(true);
        QLineEdit *id = field(&view, QStringLiteral("Client ID"));
        id->selectAll();
        QTest::keyClick(id, Qt::Key_Backspace);
        QCOMPARE(id->text(), QString());
        QVERIFY(SettingsStore::standard().hasStoredValue(Keys::clientId.name()));
        QCOMPARE(Keys::clientId.read(), QString());
        // Only Reset brings the built-in one back.
        view.setShowAdvancedSettings(false);
        view.setShowAdvancedSettings(true);
        QCOMPARE(field(&view, QStringLiteral("Client ID"))->text(), QString());
    }

    void resetPutsTheBuiltInCredentialsBackIdFirst() {
        Keys::clientId.write(QStringLiteral("mine"));
        Keys::accessToken.write(QStringLiteral("token"));
        AdvancedPreferenceView view;
        view.show();
        view.setShowAdvancedSettings(true);
        QSignalSpy changes(&SettingsStore::standard(), &SettingsStore::valueChanged);
        click(button(&view, QStringLiteral("Reset")));
        QCOMPARE(changes.count(), 2);
        QCOMPARE(changes.at(0).first().toString(), Keys::clientId.name());
        QCOMPARE(changes.at(1).first().toString(), Keys::clientSecret.name());
        QCOMPARE(Keys::clientId.read(), QString::fromLatin1(BuildInfo::clientId));
        QCOMPARE(Keys::clientSecret.read(), QString::fromLatin1(BuildInfo::clientSecret));
        QVERIFY(!SettingsStore::standard().hasStoredValue(Keys::clientId.name()));
        QCOMPARE(field(&view, QStringLiteral("Client ID"))->text(),
                 QString::fromLatin1(BuildInfo::clientId));
        QCOMPARE(Keys::accessToken.read(), QStringLiteral("token"));
    }

    void apiKeysLinkOpensTheApplicationPage() {
        qputenv("QUAVELIN_API_BASE", "https://sounds.example.net");
        WorkspaceRecorder workspace;
        AdvancedPreferenceView view;
        view.show();
        view.setShowAdvancedSettings(true);
        QLabel *link = label(&view, QStringLiteral("https://sounds.example.net/apiv2/apply"));
        QVERIFY(shows(link));
        QCOMPARE(textColor(link), Colors::blue);
        click(link);
        QCOMPARE(workspace.urls,
                 QList<QUrl>{QUrl(QStringLiteral("https://sounds.example.net/apiv2/apply"))});
        qunsetenv("QUAVELIN_API_BASE");
    }
};

QUAVELIN_TEST_MAIN(TestAdvancedPreferenceView)
#include "tst_AdvancedPreferenceView.moc"
