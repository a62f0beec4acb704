# Sources of the output subsystem, relative to src/.
target_sources(quillet_core PRIVATE
    output/FileError.h
    output/FileNames.cpp output/FileNames.h
    output/FileService.cpp output/FileService.h
    output/ImageEncoder.cpp output/ImageEncoder.h
    output/JpegBand.cpp output/JpegBand.h
    output/JpegSplice.cpp output/JpegSplice.h
    output/JpegWriter.cpp output/JpegWriter.h
    output/PendingFile.cpp output/PendingFile.h
    output/PngChunks.cpp output/PngChunks.h
    output/PngRows.cpp output/PngRows.h
    output/PngStrip.cpp output/PngStrip.h
    output/PngWriter.cpp output/PngWriter.h
    output/FileNamePromptPanel.cpp output/FileNamePromptPanel.h
    output/CapturePreviewController.cpp output/CapturePreviewController.h
    output/PreviewThumbnailView.cpp output/PreviewThumbnailView.h
    output/CaptureOutputs.cpp output/CaptureOutputs.h
    output/CaptureOutputPipeline.cpp output/CaptureOutputPipeline.h)
target_link_libraries(quillet_core PRIVATE PkgConfig::ISAL JPEG::JPEG)
