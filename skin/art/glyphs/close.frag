<path d="M7 7L17 17M17 7L7 17" stroke="currentColor" fill="none" stroke-linecap="round" stroke-linejoin="round" stroke-width="2"/>
