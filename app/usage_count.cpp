#include "app/usage_count.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSettings>
#include <QTimer>
#include <QUrlQuery>

namespace lumetrix {
namespace {

constexpr const char* kCounterKey = "lumetrix-viewer";
constexpr int kWaitMs = 5000;  // five waits of a second, as an upper bound

}  // namespace

QUrl UsageCountUrl(const QString& endpoint, const QString& key, const std::string& app, const std::string& version) {
  QUrl url(endpoint);
  if (!url.isValid() || (url.scheme() != "http" && url.scheme() != "https") || url.host().isEmpty()) return {};
  QUrlQuery query;
  query.addQueryItem("key", key);
  query.addQueryItem("app", QString::fromStdString(app));
  query.addQueryItem("version", QString::fromStdString(version));
  url.setQuery(query);
  return url;
}

QString ConfiguredUsageEndpoint() {
  const QString env = qEnvironmentVariable("LUMETRIX_USAGE_URL");
  if (!env.isEmpty()) return env;
  QSettings settings("Lumetrix", "Lumetrix");
  const QVariant v = settings.value("Settings/UsageCountUrl");
  return v.canConvert<QString>() ? v.toString() : QString();
}

void PostUsageCount(const std::string& app, const std::string& version) {
  const QUrl url = UsageCountUrl(ConfiguredUsageEndpoint(), kCounterKey, app, version);
  if (url.isEmpty() || !QCoreApplication::instance()) return;
  auto* manager = new QNetworkAccessManager(QCoreApplication::instance());
  manager->setTransferTimeout(kWaitMs);
  QNetworkReply* reply = manager->post(QNetworkRequest(url), QByteArray());
  // The answer is not looked at; whatever happens, the request cleans up after itself.
  QObject::connect(reply, &QNetworkReply::finished, manager, [reply, manager] {
    reply->deleteLater();
    manager->deleteLater();
  });
}

}  // namespace lumetrix
