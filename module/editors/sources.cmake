# The forecast bill editor: the bill and its editing rules (widget-free), the editor on top.
target_sources(kx_engine PRIVATE
    editors/forcastbill.cpp
)
target_sources(kx_ui PRIVATE
    editors/forcasteditor.cpp
)
