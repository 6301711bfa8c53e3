// The settings record's defaults and its start-up from the remembered
// settings.
#ifndef HZ_ENGINE_DATAHANDLING_H
#define HZ_ENGINE_DATAHANDLING_H

#include "record/PluginData.h"

void InitPluginData(PluginDataPtr theConfig);
void ResetConfig(PluginDataPtr theConfig, Boolean fullInit);

#endif
