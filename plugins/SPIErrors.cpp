#include "plugins/SPIErrors.h"

ESPIFOpenErrorSPI::ESPIFOpenErrorSPI(const QString& fileName)
    : Exception(QStringLiteral("%1:Susie Pluginがロードできませんでした").arg(fileName)) {}

ESPIInvalidSPI::ESPIInvalidSPI(const QString& fileName, const QString& missingExport)
    : Exception(QStringLiteral("%1:認識できないSusie Pluginです").arg(fileName)),
      missingExport_(missingExport) {}

ESPIInvalidAPI::ESPIInvalidAPI(const QString& exportName, const QString& fileName)
    : Exception(
          QStringLiteral("%1は[%2]では使えないSusie Plugin APIです").arg(exportName, fileName)) {}

ESPIDupCreateSPIs::ESPIDupCreateSPIs() : Exception(QStringLiteral("TSPIs は複数生成できません")) {}

ESPIPluginRaised::ESPIPluginRaised(const QString& fileName, const QString& reason)
    : Exception(
          QStringLiteral("%1:Susie Pluginの中でエラーが起きました: %2").arg(fileName, reason)) {}

EListError::EListError(qsizetype index)
    : Exception(QStringLiteral("リストのインデックスが範囲を超えています (%1)").arg(index)) {}
