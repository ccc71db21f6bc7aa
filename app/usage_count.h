#pragma once
// The start-up usage count: one HTTP POST to a counting endpoint with the query keys "key",
// "app" and "version". Off unless an endpoint is configured (environment variable
// LUMETRIX_USAGE_URL, or settings "Settings"/"UsageCountUrl"); it never delays start-up, and
// every failure is ignored.

#include <QUrl>
#include <string>

namespace lumetrix {

// The request's address for an endpoint; empty when the endpoint is not an http(s) URL.
QUrl UsageCountUrl(const QString& endpoint, const QString& key, const std::string& app, const std::string& version);
// The configured endpoint, or empty.
QString ConfiguredUsageEndpoint();

void PostUsageCount(const std::string& app, const std::string& version);

}  // namespace lumetrix
