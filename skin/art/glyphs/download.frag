<path d="M12 4.5V14.2M7.6 10L12 14.4L16.4 10M5.5 18.8H18.5" stroke="currentColor" fill="none" stroke-linecap="round" stroke-linejoin="round" stroke-width="2.2"/>
