#include "decoder/DecoderLog.h"

Q_LOGGING_CATEGORY(lcDecoder, "sorteka.decoder", QtWarningMsg)
